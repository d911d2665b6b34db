#pragma once

#include "ports/OverlayState.h"

class FakeOverlayState : public OverlayState {
public:
    bool isShowing() const override { return showing; }
    bool showing = false;
};
