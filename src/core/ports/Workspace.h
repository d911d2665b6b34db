#pragma once

#include "ports/RunningApplication.h"

#include <QList>
#include <QSet>
#include <functional>

// The user's running applications: what runs, what comes to the front, what ends, and a way to
// stop or raise one. Events are delivered on the main thread.
class Workspace {
public:
    using Handler = std::function<void(const RunningApplication&)>;

    virtual ~Workspace() = default;

    // The current application processes in the system's order. Looking may reveal that a
    // reported process ended; its termination is then delivered before this returns, so a reused
    // process identifier is never mistaken for the old process.
    virtual QList<RunningApplication> runningApplications() = 0;
    // Ends the process at once, with the processes it has already started.
    virtual void forceTerminate(const RunningApplication& app) = 0;
    // Asks the process to end.
    virtual void terminate(const RunningApplication& app) = 0;
    // Brings the application's window to the front; false when there is none to raise.
    virtual bool activate(const RunningApplication& app) = 0;
    virtual std::int32_t ownProcessIdentifier() const = 0;
    // Watches for the programs of these applications being started, where the system can tell;
    // each start is announced through the launch handler, possibly before the process is listed.
    virtual void watchLaunches(const QSet<QString>& bundleIdentifiers) = 0;

    // An application became the frontmost one.
    void setActivationHandler(Handler handler) { m_activated = std::move(handler); }
    // A process this workspace reported has ended.
    void setTerminationHandler(Handler handler) { m_terminated = std::move(handler); }
    // A watched application's program is being started.
    void setLaunchHandler(std::function<void()> handler) { m_launching = std::move(handler); }

protected:
    void notifyActivated(const RunningApplication& app) const {
        if (m_activated)
            m_activated(app);
    }
    void notifyTerminated(const RunningApplication& app) const {
        if (m_terminated)
            m_terminated(app);
    }
    void notifyLaunching() const {
        if (m_launching)
            m_launching();
    }

private:
    std::function<void()> m_launching;
    Handler m_activated;
    Handler m_terminated;
};
