#include "settings/GeneralSettingsViewModel.h"

#include "model/Defaults.h"
#include "services/DriveMonitorService.h"
#include "services/ExecGateService.h"
#include "services/LanguageManager.h"
#include "services/LoginItemService.h"
#include "services/LooseningGuard.h"
#include "services/SystemAuthService.h"

#include <QPointer>
#include <algorithm>
#include <cmath>

GeneralSettingsViewModel::GeneralSettingsViewModel(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(std::move(dependencies))
    , m_settings(m_deps.defaults.appSettings())
    , m_version(m_deps.version.isEmpty() ? QStringLiteral("1.0") : m_deps.version) {
    connect(&m_deps.gate, &ExecGateService::stateChanged, this, &GeneralSettingsViewModel::changed);
}

void GeneralSettingsViewModel::setLaunchAtLogin(bool enabled) {
    if (enabled == m_settings.launchAtLogin)
        return;
    m_settings.launchAtLogin = enabled;
    save();
    // Only this switch touches the login item: language changes and the other switch leave the
    // user's autostart entry alone.
    m_deps.loginItems.updateLaunchAtLogin(enabled);
}

void GeneralSettingsViewModel::setRequirePasswordToQuit(bool required) {
    if (required == m_settings.requirePasswordToQuit || (required && !m_authAvailable))
        return;
    QPointer<GeneralSettingsViewModel> self(this);
    m_deps.guard.whenAllowed(
        !required,
        [self, required] {
            if (!self)
                return;
            self->m_settings.requirePasswordToQuit = required;
            self->save();
        },
        [self] {
            if (self)
                emit self->changed();
        });
}

QString GeneralSettingsViewModel::quitFooterKey() const {
    if (!m_authAvailable && m_settings.requirePasswordToQuit)
        return QStringLiteral("Velmora can't ask for your password here, so this setting can't be "
                              "honoured: quitting is refused instead.");
    if (!m_authAvailable)
        return QStringLiteral(
            "This Mac has no Touch ID and no login password, so quitting can't be protected.");
    if (m_hasBiometrics)
        return QStringLiteral(
            "Quitting Velmora — including ⌘Q — asks for Touch ID or your Mac login password.");
    return QStringLiteral("Quitting Velmora — including ⌘Q — asks for your Mac login password.");
}

QString GeneralSettingsViewModel::gateFooterKey() const {
    if (m_deps.gate.state() == ExecGateService::State::active)
        return QStringLiteral("Protection survives quitting Velmora: the system's exec gate "
                              "refuses protected apps without their drive.");
    return QStringLiteral("Install velmora-gate for protection that survives quitting Velmora.");
}

QStringList GeneralSettingsViewModel::languageNames() const {
    QStringList names;
    // Each language by its own name; only "System" is said in the interface language.
    for (AppLanguage language : AppLanguages::allCases())
        names.append(language == AppLanguage::system
                         ? m_deps.language.localized(QStringLiteral("System"))
                         : AppLanguages::displayName(language));
    return names;
}

int GeneralSettingsViewModel::languageIndex() const {
    return static_cast<int>(AppLanguages::allCases().indexOf(m_deps.language.currentLanguage()));
}

int GeneralSettingsViewModel::disconnectNotificationIndex() const {
    return m_settings.driveDisconnectNotification == DriveDisconnectNotificationMode::repeated ? 1
                                                                                               : 0;
}

void GeneralSettingsViewModel::setDriveCheckInterval(double seconds) {
    if (!std::isfinite(seconds))
        return;
    const auto whole = static_cast<std::int64_t>(
        std::clamp(std::trunc(seconds), double(minimumInterval), double(maximumInterval)));
    if (whole == m_settings.driveCheckIntervalSeconds)
        return;
    m_settings.driveCheckIntervalSeconds = whole;
    AppSettings stored = m_deps.defaults.appSettings();
    stored.driveCheckIntervalSeconds = whole;
    m_deps.defaults.setAppSettings(stored);
    emit changed();
    m_deps.driveMonitor.restartPolling();
}

void GeneralSettingsViewModel::setDisconnectNotificationIndex(int index) {
    const DriveDisconnectNotificationMode mode = index == 1
                                                     ? DriveDisconnectNotificationMode::repeated
                                                     : DriveDisconnectNotificationMode::once;
    if (mode == m_settings.driveDisconnectNotification)
        return;
    m_settings.driveDisconnectNotification = mode;
    AppSettings stored = m_deps.defaults.appSettings();
    stored.driveDisconnectNotification = mode;
    m_deps.defaults.setAppSettings(stored);
    emit changed();
}

void GeneralSettingsViewModel::chooseLanguage(int index) {
    const QList<AppLanguage>& languages = AppLanguages::allCases();
    if (index < 0 || index >= languages.size())
        return;
    m_deps.language.changeLanguage(languages.at(index));
}

void GeneralSettingsViewModel::checkForUpdates() {
    if (m_deps.checkForUpdates)
        m_deps.checkForUpdates();
}

void GeneralSettingsViewModel::appear() {
    m_authAvailable = m_deps.auth.isAvailable();
    m_hasBiometrics = m_deps.auth.hasBiometrics();
    emit changed();
}

// Only the two fields this tab's switches own are written over the stored record, so a change
// made meanwhile elsewhere (the tray's protection switch) is kept.
void GeneralSettingsViewModel::save() {
    AppSettings stored = m_deps.defaults.appSettings();
    stored.launchAtLogin = m_settings.launchAtLogin;
    stored.requirePasswordToQuit = m_settings.requirePasswordToQuit;
    m_deps.defaults.setAppSettings(stored);
    emit changed();
}
