#pragma once

#include "ports/SelfActivation.h"

class FakeSelfActivation : public SelfActivation {
public:
    void activate() override { ++activations; }
    int activations = 0;
};
