#pragma once

#include "ports/Workspace.h"

// Scripted applications and events. A force-terminated application leaves the list at once; its
// termination arrives later, as a separate event, like the real system's.
class FakeWorkspace : public Workspace {
public:
    QList<RunningApplication> runningApplications() override { return applications; }
    void forceTerminate(const RunningApplication& app) override;
    void terminate(const RunningApplication& app) override { terminated.append(app); }
    bool activate(const RunningApplication& app) override;
    std::int32_t ownProcessIdentifier() const override { return 1; }
    void watchLaunches(const QSet<QString>& bundleIdentifiers) override {
        watchedLaunches = bundleIdentifiers;
    }
    std::optional<QDateTime> launchDate(const RunningApplication& app) override {
        return launchDates.contains(app.processIdentifier)
                   ? std::optional(launchDates.value(app.processIdentifier))
                   : std::nullopt;
    }

    // Adds a running application and returns it.
    RunningApplication launch(const std::optional<QString>& bundleIdentifier);
    // Removes it from the list and delivers its termination.
    void quit(const RunningApplication& app);
    void bringToFront(const RunningApplication& app) { notifyActivated(app); }
    // A watched program was just executed; its process is listed once `launch` adds it.
    void announceLaunch() { notifyLaunching(); }
    // Delivers the terminations of the processes killed so far.
    void deliverTerminations();

    QList<RunningApplication> applications;
    QList<RunningApplication> forceTerminated;
    QList<RunningApplication> terminated;
    QList<RunningApplication> activated;
    QSet<QString> watchedLaunches;
    QHash<std::int32_t, QDateTime> launchDates;
    // Called at each force-termination, to look at what else has happened by then.
    std::function<void()> onForceTerminate;
    // When false, force-terminated processes keep running (a process that ignores the kill).
    bool killsSucceed = true;

private:
    QList<RunningApplication> m_dying;
    std::int32_t m_nextPid = 1000;
};
