#pragma once

#include "model/AppSettings.h"

#include <QObject>
#include <QStringList>
#include <functional>

class Defaults;
class DriveMonitorService;
class ExecGateService;
class LanguageManager;
class LoginItemService;
class LooseningGuard;
class SystemAuthService;

// The General tab: what each control shows and writes. Made with the tab's content, holding its
// own copy of the settings read at that moment.
class GeneralSettingsViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY changed)
    Q_PROPERTY(bool requirePasswordToQuit READ requirePasswordToQuit WRITE setRequirePasswordToQuit
                   NOTIFY changed)
    Q_PROPERTY(bool authAvailable READ authAvailable NOTIFY changed)
    Q_PROPERTY(QString quitFooterKey READ quitFooterKey NOTIFY changed)
    Q_PROPERTY(QString gateFooterKey READ gateFooterKey NOTIFY changed)
    Q_PROPERTY(QStringList languageNames READ languageNames CONSTANT)
    Q_PROPERTY(int languageIndex READ languageIndex NOTIFY changed)
    Q_PROPERTY(double driveCheckInterval READ driveCheckInterval NOTIFY changed)
    Q_PROPERTY(int disconnectNotificationIndex READ disconnectNotificationIndex NOTIFY changed)
    Q_PROPERTY(QString version READ version CONSTANT)

public:
    static constexpr int minimumInterval = 1;
    static constexpr int maximumInterval = 30;

    struct Dependencies {
        Defaults& defaults;
        LanguageManager& language;
        SystemAuthService& auth;
        LooseningGuard& guard;
        DriveMonitorService& driveMonitor;
        LoginItemService& loginItems;
        const ExecGateService& gate;
        std::function<void()> checkForUpdates;
        // The program's version; "1.0" when empty.
        QString version;
    };

    explicit GeneralSettingsViewModel(Dependencies dependencies, QObject* parent = nullptr);

    bool launchAtLogin() const { return m_settings.launchAtLogin; }
    void setLaunchAtLogin(bool enabled);
    bool requirePasswordToQuit() const { return m_settings.requirePasswordToQuit; }
    // Turning it on needs a way to ask the owner; turning it off needs the owner.
    void setRequirePasswordToQuit(bool required);
    bool authAvailable() const { return m_authAvailable; }
    QString quitFooterKey() const;
    // Whether protection outlasts Velmora itself: only with the system's exec gate.
    QString gateFooterKey() const;
    QStringList languageNames() const;
    int languageIndex() const;
    double driveCheckInterval() const {
        return static_cast<double>(m_settings.driveCheckIntervalSeconds);
    }
    int disconnectNotificationIndex() const;
    QString version() const { return m_version; }

    // The slider moved: whole seconds only; polling restarts when the whole value changes.
    Q_INVOKABLE void setDriveCheckInterval(double seconds);
    // 0 = once, 1 = repeated.
    Q_INVOKABLE void setDisconnectNotificationIndex(int index);
    // An entry of languageNames was chosen.
    Q_INVOKABLE void chooseLanguage(int index);
    Q_INVOKABLE void checkForUpdates();
    // The tab is shown: asks again whether quitting can be protected and brings the login item
    // in line with the stored choice.
    void appear();

signals:
    void changed();

private:
    void save();

    Dependencies m_deps;
    AppSettings m_settings;
    bool m_authAvailable = true;
    bool m_hasBiometrics = false;
    QString m_version;
};
