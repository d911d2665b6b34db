#pragma once

#include "app/Ports.h"
#include "model/Defaults.h"
#include "model/ProtectedAppsManager.h"
#include "model/ProtectedDrivesManager.h"
#include "services/AppMonitorService.h"
#include "services/DriveMonitorService.h"
#include "services/NoOverlayState.h"

#include <QObject>

// The composition root: builds every service once, in start-up order, and wires them together.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    explicit AppDelegate(Ports ports, QObject* parent = nullptr);

    void applicationDidFinishLaunching();

    Defaults& defaults() { return m_defaults; }
    ProtectedAppsManager& apps() { return m_apps; }
    ProtectedDrivesManager& drives() { return m_drives; }
    DriveMonitorService& driveMonitor() { return m_driveMonitor; }
    AppMonitorService& appMonitor() { return m_appMonitor; }

private:
    void logDriveStates();

    Ports m_ports;
    Defaults m_defaults;
    ProtectedAppsManager m_apps;
    ProtectedDrivesManager m_drives;
    DriveMonitorService m_driveMonitor;
    NoOverlayState m_overlayState;
    AppMonitorService m_appMonitor;
};
