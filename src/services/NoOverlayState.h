#pragma once

#include "services/OverlayState.h"

// Stands in while the program has no lock overlay: none is ever showing.
class NoOverlayState : public OverlayState {
public:
    bool isShowing() const override { return false; }
};
