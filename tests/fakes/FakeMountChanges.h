#pragma once

#include "platform/MountChanges.h"

class FakeMountChanges : public MountChanges {
public:
    void change() const { notifyChanged(); }
};
