#include "services/LoginItemService.h"

#include "model/Defaults.h"
#include "ports/Logger.h"
#include "ports/LoginItems.h"

LoginItemService::LoginItemService(LoginItems& loginItems, Defaults& defaults, Logger& logger)
    : m_loginItems(loginItems)
    , m_defaults(defaults)
    , m_logger(logger) {}

void LoginItemService::updateLaunchAtLogin(bool enabled) {
    const std::optional<QString> error =
        enabled ? m_loginItems.registerProgram() : m_loginItems.unregisterProgram();
    if (error) {
        m_logger.log(QStringLiteral("[Velmora] Failed to update login item: %1").arg(*error));
        return;
    }
    m_logger.log(enabled ? QStringLiteral("[Velmora] Login item registered successfully")
                         : QStringLiteral("[Velmora] Login item unregistered successfully"));
}

void LoginItemService::saveLaunchAtLogin(bool enabled) {
    AppSettings settings = m_defaults.appSettings();
    settings.launchAtLogin = enabled;
    m_defaults.setAppSettings(settings);
    const std::optional<QString> error =
        enabled ? m_loginItems.registerProgram() : m_loginItems.unregisterProgram();
    if (error)
        m_logger.log(QStringLiteral("[Velmora] Failed to set login item: %1").arg(*error));
}
