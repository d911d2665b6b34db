#pragma once

#include <functional>

// Tells when the machine is about to power off or the user's session is ending.
class PowerEvents {
public:
    virtual ~PowerEvents() = default;
    virtual void onPowerOff(std::function<void()> handler) = 0;
};
