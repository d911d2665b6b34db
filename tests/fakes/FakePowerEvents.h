#pragma once

#include "ports/PowerEvents.h"

class FakePowerEvents : public PowerEvents {
public:
    void onPowerOff(std::function<void()> handler) override { m_handler = std::move(handler); }
    void powerOff() {
        if (m_handler)
            m_handler();
    }

private:
    std::function<void()> m_handler;
};
