#include "tray/MenuBarViewModel.h"

#include "model/ProtectedAppsManager.h"
#include "model/ProtectedDrivesManager.h"

#include <algorithm>

MenuBarViewModel::MenuBarViewModel(const ProtectedAppsManager& apps,
                                   const ProtectedDrivesManager& drives, bool isProtectionEnabled,
                                   Callbacks callbacks, QObject* parent)
    : QObject(parent)
    , m_apps(apps)
    , m_drives(drives)
    , m_isProtectionEnabled(isProtectionEnabled)
    , m_callbacks(std::move(callbacks)) {
    connect(&apps, &ProtectedAppsManager::appsChanged, this, &MenuBarViewModel::countsChanged);
    // Following the drives too keeps the panel right after a drive is added or switched off.
    connect(&drives, &ProtectedDrivesManager::drivesChanged, this,
            &MenuBarViewModel::countsChanged);
}

int MenuBarViewModel::protectedAppsCount() const {
    const QList<ProtectedApp>& apps = m_apps.apps();
    return static_cast<int>(std::count_if(apps.begin(), apps.end(),
                                          [](const ProtectedApp& app) { return app.isEnabled; }));
}

int MenuBarViewModel::externalDrivesCount() const {
    const QList<ProtectedDrive>& drives = m_drives.drives();
    return static_cast<int>(std::count_if(
        drives.begin(), drives.end(), [](const ProtectedDrive& drive) { return drive.isEnabled; }));
}

void MenuBarViewModel::setProtectionEnabled(bool enabled) {
    if (enabled == m_isProtectionEnabled)
        return;
    m_isProtectionEnabled = enabled;
    emit protectionChanged();
    call(m_callbacks.onToggleProtection);
}

void MenuBarViewModel::showProtection(bool enabled) {
    m_isProtectionEnabled = enabled;
    // Also when unchanged: the switch moved on its own and must go back.
    emit protectionChanged();
}
