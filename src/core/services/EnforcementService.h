#pragma once

#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"

#include <QObject>
#include <QSet>

class DriveMonitorService;
class OverlayWindowService;
class ProtectedAppsManager;
class Scheduler;
class Workspace;

// Acts on what the monitors report: covers an application whose drive is missing, lifts the cover
// when its drive comes back, and withdraws every cover on the panic key.
class EnforcementService : public QObject {
    Q_OBJECT

public:
    struct Dependencies {
        Scheduler& scheduler;
        Workspace& workspace;
        const ProtectedAppsManager& apps;
        const DriveMonitorService& driveMonitor;
        OverlayWindowService& overlays;
    };

    explicit EnforcementService(Dependencies dependencies, QObject* parent = nullptr);

    // The panic key: every cover goes, protection itself stays on.
    void handlePanic();
    void handleDetection(const ProtectedApp& app);
    void handleDriveMounted(const ProtectedDrive& drive);
    void handleDriveUnmounted(const ProtectedDrive& drive);

private:
    QSet<QString> runningIds() const;

    Dependencies m_deps;
};
