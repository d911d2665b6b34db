#pragma once

#include "ports/MountChanges.h"

class FakeMountChanges : public MountChanges {
public:
    void change() const { notifyChanged(); }
};
