#include "services/AppMonitorService.h"

#include "model/AppKeys.h"
#include "model/Defaults.h"
#include "model/LogName.h"
#include "model/NeverProtectedList.h"
#include "model/ProtectedDrivesManager.h"
#include "ports/Logger.h"
#include "ports/OverlayState.h"
#include "ports/Workspace.h"
#include "services/DriveMonitorService.h"
#include "services/RunHistory.h"

namespace {

constexpr double pollIntervalSeconds = 0.2;
constexpr double startupCheckDelaySeconds = 1.5;
// After an exec is seen, the new process may still be a launcher becoming its program: look again
// at these delays (seconds), about 50 ms in all. A look while no process started is one small
// read, so the first ones come close together.
constexpr double launchScanDelays[] = {0.0005, 0.001, 0.002, 0.004, 0.008, 0.016, 0.03, 0.05};
// Identities of earlier versions are kept too (a copy made before an upgrade is still the app),
// up to this many in all.
constexpr qsizetype maximumPrograms = 32;

// The programs read now, then the ones recorded before; true when that changed the record.
bool updatePrograms(ProtectedApp& app, QStringList current) {
    for (const QString& program : std::as_const(app.programs)) {
        if (!current.contains(program) && current.size() < maximumPrograms)
            current.append(program);
    }
    if (current == app.programs)
        return false;
    app.programs = current;
    return true;
}

} // namespace

AppMonitorService::AppMonitorService(Workspace& workspace, Scheduler& scheduler, Defaults& defaults,
                                     ProtectedDrivesManager& drives,
                                     DriveMonitorService& driveMonitor, const OverlayState& overlay,
                                     Logger& logger, const RunHistory* history, QObject* parent)
    : QObject(parent)
    , m_workspace(workspace)
    , m_scheduler(scheduler)
    , m_defaults(defaults)
    , m_drives(drives)
    , m_driveMonitor(driveMonitor)
    , m_overlay(overlay)
    , m_logger(logger)
    , m_history(history) {}

AppMonitorService::~AppMonitorService() {
    // The workspace and the scheduler may outlive the service; leave nothing pointing at it.
    if (m_pollTimer)
        m_scheduler.cancel(*m_pollTimer);
    if (m_startupCheck)
        m_scheduler.cancel(*m_startupCheck);
    for (const Scheduler::Handle scan : m_launchScans)
        m_scheduler.cancel(scan);
    m_workspace.setLaunchHandler(nullptr);
    m_workspace.setProgramsChangedHandler(nullptr);
    m_workspace.setActivationHandler(nullptr);
    m_workspace.setTerminationHandler(nullptr);
}

void AppMonitorService::startMonitoring() {
    m_workspace.setActivationHandler(
        [this](const RunningApplication& app) { handleActivate(app); });
    m_workspace.setTerminationHandler(
        [this](const RunningApplication& app) { handleTermination(app); });
    m_workspace.setProgramsChangedHandler([this] { refreshLaunchWatches(); });
    // Programs first, so copies already running are known for what they are.
    refreshLaunchWatches();
    for (const RunningApplication& app : m_workspace.runningApplications())
        m_knownPIDs.insert(app.processIdentifier);
    m_workspace.setLaunchHandler([this] { handleLaunchSeen(); });
    m_pollTimer = m_scheduler.repeating(pollIntervalSeconds, [this] { pollForNewApps(); });
    m_logger.log(QStringLiteral("[Velmora] App monitor started (polling + activation)"));
    m_startupCheck = m_scheduler.once(startupCheckDelaySeconds, [this] {
        m_startupCheck.reset();
        checkRunningApps();
    });
}

void AppMonitorService::refreshLaunchWatches() {
    QSet<QString> watched;
    QHash<QString, QStringList> programs;
    QList<ProtectedApp> apps = m_defaults.protectedApps();
    bool updated = false;
    for (ProtectedApp& app : apps) {
        if (!app.isEnabled || NeverProtectedList::contains(app.bundleIdentifier))
            continue;
        watched.insert(app.bundleIdentifier);
        updated =
            updatePrograms(app, m_workspace.programIdentities(app.bundleIdentifier, app.path)) ||
            updated;
        programs.insert(app.bundleIdentifier, app.programs);
    }
    if (updated)
        m_defaults.setProtectedApps(apps);
    m_workspace.recognisePrograms(programs);
    m_workspace.watchLaunches(watched);
}

QVariant AppMonitorService::detectedAppValue() const {
    return m_detectedApp ? QVariant::fromValue(*m_detectedApp) : QVariant();
}

void AppMonitorService::removePendingLock(const QString& bundleIdentifier) {
    m_pendingLockBundleIDs.remove(bundleIdentifier);
}

// The overlay and the pending mark are looked at first: while either stands, an activation is
// not even judged, so nothing is logged for it.
void AppMonitorService::handleActivate(const RunningApplication& app) {
    if (!app.bundleIdentifier)
        return;
    const QString& bundleID = *app.bundleIdentifier;
    if (m_overlay.isShowing() || m_pendingLockBundleIDs.contains(bundleID))
        return;
    const auto verdict = judge(bundleID);
    if (!verdict)
        return;
    const ProtectedApp& record = verdict->record;
    if (!verdict->missingDrive) {
        m_logger.log(QStringLiteral("[Velmora] Protected app activated (drive available): %1 (%2)")
                         .arg(logName(record.name), logName(bundleID)));
        return;
    }
    m_logger.log(QStringLiteral("[Velmora] Drive %1 not mounted — blocking activation of: %2")
                     .arg(logName(verdict->missingDrive->name), logName(record.name)));
    report(record);
}

void AppMonitorService::pollForNewApps() {
    const QList<RunningApplication> running = m_workspace.runningApplications();
    for (const RunningApplication& app : running) {
        if (!app.bundleIdentifier)
            continue;
        if (m_knownPIDs.contains(app.processIdentifier))
            continue;
        // Recorded before judging, so each process is judged once in its life.
        m_knownPIDs.insert(app.processIdentifier);
        handleNewProcess(app, *app.bundleIdentifier);
    }
}

void AppMonitorService::handleLaunchSeen() {
    for (const Scheduler::Handle scan : std::as_const(m_launchScans))
        m_scheduler.cancel(scan);
    m_launchScans.clear();
    pollForNewApps();
    for (const double delay : launchScanDelays)
        m_launchScans.append(m_scheduler.once(delay, [this] { pollForNewApps(); }));
}

// A new process is killed whenever its drive is missing; the pending mark and a showing overlay
// only spare the user a second report. Otherwise activation, which often comes first, or a card
// already up would let a launch through.
void AppMonitorService::handleNewProcess(const RunningApplication& app, const QString& bundleID) {
    const auto verdict = judge(bundleID);
    if (!verdict)
        return;
    const ProtectedApp& record = verdict->record;
    if (!verdict->missingDrive) {
        m_logger.log(QStringLiteral("[Velmora] Protected app launched (drive available): %1 (%2)")
                         .arg(logName(record.name), logName(bundleID)));
        return;
    }
    m_logger.log(QStringLiteral("[Velmora] Drive %1 not mounted — killing new process: %2 (pid=%3)")
                     .arg(logName(verdict->missingDrive->name), logName(record.name),
                          QString::number(app.processIdentifier)));
    if (!m_overlay.isShowing() && !m_pendingLockBundleIDs.contains(bundleID))
        report(record);
    m_workspace.forceTerminate(app);
}

void AppMonitorService::checkRunningApps() {
    const QList<ProtectedApp> protectedApps = m_defaults.protectedApps();
    const bool protectionEnabled = m_defaults.appSettings().isProtectionEnabled;
    m_logger.log(QStringLiteral("[Velmora] checkRunningApps: %1 protected, protection=%2")
                     .arg(QString::number(protectedApps.size()),
                          protectionEnabled ? QStringLiteral("ON") : QStringLiteral("OFF")));
    if (!protectionEnabled)
        return;
    for (const RunningApplication& app : m_workspace.runningApplications()) {
        if (!app.bundleIdentifier)
            continue;
        const auto record = eligibleRecord(*app.bundleIdentifier);
        if (!record || m_pendingLockBundleIDs.contains(*app.bundleIdentifier) ||
            m_overlay.isShowing() || !missingDrive(*record))
            continue;
        noteStartedWhileAway(app, *record);
        report(*record);
        return;
    }
}

// Not killed even so: a process that ran before may hold the user's unsaved work.
void AppMonitorService::noteStartedWhileAway(const RunningApplication& app,
                                             const ProtectedApp& record) {
    if (!m_history || !m_history->startedWhileAway(app))
        return;
    m_startedWhileAway.insert(record.bundleIdentifier);
    m_logger.log(QStringLiteral("[Velmora] %1 (pid=%2) started while Velmora was not running")
                     .arg(logName(record.name), QString::number(app.processIdentifier)));
}

void AppMonitorService::handleTermination(const RunningApplication& app) {
    if (!app.bundleIdentifier)
        return;
    m_knownPIDs.remove(app.processIdentifier);
    m_pendingLockBundleIDs.remove(*app.bundleIdentifier);
    m_startedWhileAway.remove(*app.bundleIdentifier);
}

std::optional<ProtectedApp> AppMonitorService::eligibleRecord(const QString& bundleID) const {
    for (const ProtectedApp& app : m_defaults.protectedApps()) {
        if (app.isEnabled && app.bundleIdentifier == bundleID)
            return app;
    }
    return std::nullopt;
}

std::optional<AppMonitorService::Verdict> AppMonitorService::judge(const QString& bundleID) const {
    if (NeverProtectedList::contains(bundleID))
        return std::nullopt;
    const auto record = eligibleRecord(bundleID);
    if (!record || !m_defaults.appSettings().isProtectionEnabled)
        return std::nullopt;
    return Verdict{*record, missingDrive(*record)};
}

// The first drive is named when none of the app's drives is there.
std::optional<ProtectedDrive> AppMonitorService::missingDrive(const ProtectedApp& record) const {
    const AppKeys keys(record, m_drives.drives());
    if (!keys.isLocked())
        return std::nullopt;
    for (const ProtectedDrive& drive : keys.keys()) {
        if (m_driveMonitor.isDriveMounted(drive))
            return std::nullopt;
    }
    return keys.keys().first();
}

void AppMonitorService::report(const ProtectedApp& record) {
    m_pendingLockBundleIDs.insert(record.bundleIdentifier);
    m_detectedApp = record;
    emit detectedAppChanged();
    if (onProtectedAppDetected)
        onProtectedAppDetected(record);
}
