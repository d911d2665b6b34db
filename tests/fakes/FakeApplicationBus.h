#pragma once

#include "ports/ApplicationBus.h"

// Answers every activation request at once.
class FakeApplicationBus : public ApplicationBus {
public:
    bool publish(std::function<void()> handler) override {
        onActivate = std::move(handler);
        return true;
    }
    void activateRunningCopy(std::function<void()> done) override {
        ++activationRequests;
        if (done)
            done();
    }
    void setActionHandler(std::function<bool(const QString& action)> handler) override {
        onAction = std::move(handler);
    }
    void activate() const {
        if (onActivate)
            onActivate();
    }

    std::function<void()> onActivate;
    std::function<bool(const QString& action)> onAction;
    int activationRequests = 0;
};
