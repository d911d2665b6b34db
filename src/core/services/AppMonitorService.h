#pragma once

#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"
#include "ports/RunningApplication.h"
#include "ports/Scheduler.h"

#include <QObject>
#include <QSet>
#include <QVariant>
#include <functional>
#include <optional>

class Defaults;
class DriveMonitorService;
class Logger;
class OverlayState;
class ProtectedDrivesManager;
class RunHistory;
class Workspace;

// Enforces the drive requirement of protected applications: a new process of an application
// whose drive is missing is killed and reported; an activation (or a copy found running at
// start-up) is only reported. Reporting means recording the application and calling
// onProtectedAppDetected; showing the lock is someone else's job.
class AppMonitorService : public QObject {
    Q_OBJECT
    // The application reported most recently; never goes back to absent.
    Q_PROPERTY(QVariant detectedApp READ detectedAppValue NOTIFY detectedAppChanged)

public:
    AppMonitorService(Workspace& workspace, Scheduler& scheduler, Defaults& defaults,
                      ProtectedDrivesManager& drives, DriveMonitorService& driveMonitor,
                      const OverlayState& overlay, Logger& logger,
                      const RunHistory* history = nullptr, QObject* parent = nullptr);
    ~AppMonitorService() override;

    // Called once at launch; there is no stop.
    void startMonitoring();
    // Watches the starts of the enabled protected applications' programs; called again whenever
    // the protected list changes.
    void refreshLaunchWatches();

    const std::optional<ProtectedApp>& detectedApp() const { return m_detectedApp; }
    QVariant detectedAppValue() const;
    // Applications reported and not yet ended or force-quit from the overlay.
    const QSet<QString>& pendingLockBundleIDs() const { return m_pendingLockBundleIDs; }
    // The overlay's Force Quit: the application is judged afresh from now on.
    void removePendingLock(const QString& bundleIdentifier);
    const QSet<std::int32_t>& knownPIDs() const { return m_knownPIDs; }
    // The application was found running at start-up, started while Velmora was not running.
    bool startedWhileAway(const QString& bundleIdentifier) const {
        return m_startedWhileAway.contains(bundleIdentifier);
    }

    std::function<void(const ProtectedApp&)> onProtectedAppDetected;

signals:
    void detectedAppChanged();

private:
    void handleActivate(const RunningApplication& app);
    void pollForNewApps();
    // A watched program is being executed: look now and a few times more while it gets going.
    void handleLaunchSeen();
    void handleNewProcess(const RunningApplication& app, const QString& bundleID);
    void checkRunningApps();
    void noteStartedWhileAway(const RunningApplication& app, const ProtectedApp& record);
    void handleTermination(const RunningApplication& app);

    // An application the monitor enforces, and the drive it lacks right now (none: it may run).
    struct Verdict {
        ProtectedApp record;
        std::optional<ProtectedDrive> missingDrive;
    };
    // Never-protected, then enabled record, then protection on, then the drive: nothing when the
    // application is not enforced at all.
    std::optional<Verdict> judge(const QString& bundleID) const;
    std::optional<ProtectedApp> eligibleRecord(const QString& bundleID) const;
    // The record's drive when it is enabled and not mounted; nothing when the app may run.
    std::optional<ProtectedDrive> missingDrive(const ProtectedApp& record) const;
    void report(const ProtectedApp& record);

    Workspace& m_workspace;
    Scheduler& m_scheduler;
    Defaults& m_defaults;
    ProtectedDrivesManager& m_drives;
    DriveMonitorService& m_driveMonitor;
    const OverlayState& m_overlay;
    Logger& m_logger;
    const RunHistory* m_history;

    std::optional<ProtectedApp> m_detectedApp;
    QSet<QString> m_pendingLockBundleIDs;
    QSet<QString> m_startedWhileAway;
    QSet<std::int32_t> m_knownPIDs;
    std::optional<Scheduler::Handle> m_pollTimer;
    std::optional<Scheduler::Handle> m_startupCheck;
    QList<Scheduler::Handle> m_launchScans;
};
