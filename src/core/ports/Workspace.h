#pragma once

#include "ports/RunningApplication.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>

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
    // What the application's program files are, read now, whatever they are called: found from
    // its record's path or its ID, with the programs its launchers were seen to become. Empty
    // where the system cannot tell programs by their contents.
    virtual QStringList programIdentities(const QString& bundleIdentifier, const QString& path) {
        Q_UNUSED(bundleIdentifier)
        Q_UNUSED(path)
        return {};
    }
    // The program files the application runs, found as for programIdentities; empty where the
    // system cannot tell.
    virtual QStringList programFiles(const QString& bundleIdentifier, const QString& path) {
        Q_UNUSED(bundleIdentifier)
        Q_UNUSED(path)
        return {};
    }
    // When the process started; nothing where the system cannot tell.
    virtual std::optional<QDateTime> launchDate(const RunningApplication& app) {
        Q_UNUSED(app)
        return std::nullopt;
    }
    // A new process running a program of one of these identities is that application, by
    // whatever path or name it was started.
    virtual void recognisePrograms(const QHash<QString, QStringList>& identitiesById) {
        Q_UNUSED(identitiesById)
    }

    // An application became the frontmost one.
    void setActivationHandler(Handler handler) { m_activated = std::move(handler); }
    // A process this workspace reported has ended.
    void setTerminationHandler(Handler handler) { m_terminated = std::move(handler); }
    // A watched application's program is being started.
    void setLaunchHandler(std::function<void()> handler) { m_launching = std::move(handler); }
    // What an application runs may have changed: its programs are worth reading again.
    void setProgramsChangedHandler(std::function<void()> handler) {
        m_programsChanged = std::move(handler);
    }

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
    void notifyProgramsChanged() const {
        if (m_programsChanged)
            m_programsChanged();
    }

private:
    std::function<void()> m_launching;
    std::function<void()> m_programsChanged;
    Handler m_activated;
    Handler m_terminated;
};
