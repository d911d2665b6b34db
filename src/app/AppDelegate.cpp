#include "app/AppDelegate.h"

#include "platform/Logger.h"

AppDelegate::AppDelegate(Ports ports, QObject* parent)
    : QObject(parent)
    , m_ports(ports)
    , m_defaults(ports.store, ports.logger)
    , m_apps(m_defaults, ports.logger)
    , m_drives(m_defaults, ports.logger)
    , m_driveMonitor(ports.volumes, m_drives)
    , m_appMonitor(ports.workspace, ports.scheduler, m_defaults, m_drives, m_driveMonitor,
                   m_overlayState, ports.logger) {}

void AppDelegate::applicationDidFinishLaunching() {
    // Later start-up steps (status item, hot keys, monitors) are added here in their order.
    logDriveStates();
    m_appMonitor.startMonitoring();
}

void AppDelegate::logDriveStates() {
    for (const ProtectedDrive& drive : m_drives.drives()) {
        const bool mounted = m_driveMonitor.isDriveMounted(drive);
        m_ports.logger.log(QStringLiteral("[Velmora] Registered drive %1: %2")
                               .arg(drive.name, mounted ? QStringLiteral("mounted")
                                                        : QStringLiteral("not mounted")));
    }
}
