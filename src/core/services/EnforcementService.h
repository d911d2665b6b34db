#pragma once

#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"

#include <QObject>
#include <functional>

class DriveMonitorService;
class OverlayWindowService;
class ProtectedAppsManager;
class Scheduler;
class Workspace;

// Acts on what the monitors report: covers an application whose drive is missing, lifts the cover
// when its drive comes back or the user unlocks it, and withdraws every cover on the panic key.
// Each step says what the tray icon is to show; the tray itself is someone else's.
class EnforcementService : public QObject {
    Q_OBJECT

public:
    enum class IconState { idle, active, locked };

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
    void handleUnlock();
    void handleDriveMounted(const ProtectedDrive& drive);
    void handleDriveUnmounted(const ProtectedDrive& drive);

    std::function<void(IconState)> onIconState;

private:
    void cover(const ProtectedApp& app);
    void reportIcon(IconState state);
    bool isRunning(const QString& bundleIdentifier) const;

    Dependencies m_deps;
};
