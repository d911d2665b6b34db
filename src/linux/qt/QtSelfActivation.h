#pragma once

#include "ports/SelfActivation.h"

// Raises and activates a visible window of this program, if it has one that may take focus.
class QtSelfActivation : public SelfActivation {
public:
    void activate() override;
};
