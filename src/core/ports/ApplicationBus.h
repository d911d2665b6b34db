#pragma once

#include <QString>
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
    // Answers named actions (`velmora --panic` sends "panic"); the handler returns false for a
    // name it does not know, which is logged and ignored.
    virtual void setActionHandler(std::function<bool(const QString& action)> handler) = 0;
};
