#include "services/EnforcementService.h"

#include "model/ProtectedAppsManager.h"
#include "ports/Scheduler.h"
#include "ports/Workspace.h"
#include "services/DriveMonitorService.h"
#include "services/OverlayWindowService.h"

#include <QPointer>

EnforcementService::EnforcementService(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(dependencies) {}

void EnforcementService::handlePanic() {
    m_deps.overlays.hide(OverlayDismissReason::cancelled);
}

// The card is raised on the next pass of the event loop, so the monitor's kill, which follows
// this report, never waits for the card's window to be made.
void EnforcementService::handleDetection(const ProtectedApp& app) {
    m_deps.scheduler.runLater([self = QPointer<EnforcementService>(this), app] {
        if (!self || self->m_deps.driveMonitor.isRequiredDriveAvailable(app))
            return;
        self->m_deps.overlays.showDriveRequired(app);
    });
}

void EnforcementService::handleDriveMounted(const ProtectedDrive& drive) {
    if (!m_deps.overlays.isShowing())
        return;
    const std::optional<ProtectedApp>& covered = m_deps.overlays.currentApp();
    if (!covered || !covered->requiredDriveIDs().contains(drive.id))
        return;
    m_deps.overlays.hide(OverlayDismissReason::driveAvailable);
}

// At most one overlay per unmount: for the first enabled app requiring the drive that runs and
// has no other of its drives still there. What runs is read once, and first: looking for drives
// reads the mount table, and most protected apps are not running.
void EnforcementService::handleDriveUnmounted(const ProtectedDrive& drive) {
    const QSet<QString> running = runningIds();
    for (const ProtectedApp& app : m_deps.apps.apps()) {
        if (!app.isEnabled || !app.requiredDriveIDs().contains(drive.id))
            continue;
        if (!running.contains(app.bundleIdentifier))
            continue;
        if (m_deps.driveMonitor.isRequiredDriveAvailable(app))
            continue;
        m_deps.overlays.showDriveRequired(app);
        return;
    }
}

QSet<QString> EnforcementService::runningIds() const {
    QSet<QString> ids;
    for (const RunningApplication& running : m_deps.workspace.runningApplications()) {
        if (running.bundleIdentifier)
            ids.insert(*running.bundleIdentifier);
    }
    return ids;
}
