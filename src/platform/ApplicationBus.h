#pragma once

#include <functional>

// The program's own name on the session bus, through which a launcher (or a second copy)
// brings the running program forward.
class ApplicationBus {
public:
    virtual ~ApplicationBus() = default;
    // Takes the name and answers activation requests with `onActivate`; false when the bus or
    // the name is not to be had.
    virtual bool publish(std::function<void()> onActivate) = 0;
    // Asks the copy that holds the name to come forward; `done` runs once the request has been
    // answered or has failed, never before this returns.
    virtual void activateRunningCopy(std::function<void()> done) = 0;
};
