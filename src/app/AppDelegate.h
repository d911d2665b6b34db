#pragma once

#include "app/Ports.h"
#include "hotkey/HotKeysController.h"
#include "model/Defaults.h"
#include "model/ProtectedAppsManager.h"
#include "model/ProtectedDrivesManager.h"
#include "onboarding/OnboardingWindowController.h"
#include "ports/MenuBarWindows.h"
#include "ports/SettingsWindows.h"
#include "ports/UpdateWindow.h"
#include "services/AppMonitorService.h"
#include "services/DriveKeyVerifier.h"
#include "services/DriveMonitorService.h"
#include "services/EnforcementService.h"
#include "services/ExecGateService.h"
#include "services/LanguageManager.h"
#include "services/LoginItemService.h"
#include "services/LooseningGuard.h"
#include "services/OverlayWindowService.h"
#include "services/QuitProtection.h"
#include "services/RunHistory.h"
#include "services/SafetyManager.h"
#include "services/SystemAuthService.h"
#include "services/UpdateService.h"
#include "settings/SettingsTabs.h"
#include "settings/SettingsWindowController.h"
#include "tray/MenuBarController.h"

#include <QObject>
#include <functional>
#include <memory>

// The composition root: builds every service once, runs the start-up sequence in its fixed order,
// and is the only place where services are wired to each other and to the tray icon.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    static inline const QString ownIdentifier = QStringLiteral("com.tarnwick.Velmora");

    explicit AppDelegate(Ports ports, QObject* parent = nullptr);

    void applicationDidFinishLaunching();
    // Every request to end the program (Ctrl+Q, the tray's Quit, SIGTERM) comes here, so quit
    // protection can hold it back.
    void requestTermination();

    // Ends the program once termination is granted; set by the entry point.
    std::function<void()> terminateApplication;

    Defaults& defaults() { return m_defaults; }
    LanguageManager& language() { return m_language; }
    ProtectedAppsManager& apps() { return m_apps; }
    ProtectedDrivesManager& drives() { return m_drives; }
    MenuBarController& menuBar() { return m_menuBar; }
    QuitProtection& quitProtection() { return m_quit; }
    LooseningGuard& guard() { return m_guard; }
    DriveMonitorService& driveMonitor() { return m_driveMonitor; }
    DriveKeyVerifier& driveKeys() { return m_driveKeys; }
    OverlayWindowService& overlays() { return m_overlays; }
    AppMonitorService& appMonitor() { return m_appMonitor; }
    ExecGateService& execGate() { return m_gate; }
    SafetyManager* safety() { return m_safety.get(); }
    OnboardingWindowController& onboarding() { return m_onboarding; }
    LoginItemService& loginItems() { return m_loginItems; }
    UpdateService* updates() { return m_updates.get(); }
    SettingsWindowController* settings() { return m_settings.get(); }

private:
    // The steps of the start-up, in their order.
    bool isAnotherInstanceRunning() const;
    void handOverToRunningCopy();
    void logDriveStates();
    void skipQuitPromptAtPowerOff();
    void publishOnSessionBus();
    void installQuitShortcut();
    void startUpdater();
    void reportDamagedSettings();
    void installPanicRoutes();
    void createSettingsWindowController();
    void createSettingsTabs();
    void reportDetectionsToEnforcement();
    void startAppMonitor();
    void reportDrivesToEnforcement();
    void startExecGate();

    void notifyDamagedList(const QString& key, int unreadableRecords);
    void explainQuitRefusal();

    // A launcher or a second copy asked the program to come forward.
    void handleApplicationActivate();

    Ports m_ports;
    Defaults m_defaults;
    // Made right after the stored settings, before anything that shows a text.
    LanguageManager m_language;
    ProtectedAppsManager m_apps;
    ProtectedDrivesManager m_drives;
    HotKeysController m_hotKeys;
    SystemAuthService m_auth;
    QuitProtection m_quit;
    LooseningGuard m_guard;
    DriveKeyVerifier m_driveKeys;
    DriveMonitorService m_driveMonitor;
    std::unique_ptr<OverlayWindows> m_overlayWindows;
    RunHistory m_runHistory;
    // The overlays and the app monitor use each other; neither touches the other while being made.
    OverlayWindowService m_overlays;
    AppMonitorService m_appMonitor;
    std::unique_ptr<MenuBarWindows> m_menuBarWindows;
    MenuBarController m_menuBar;
    EnforcementService m_enforcement;
    ExecGateService m_gate;
    std::unique_ptr<SafetyManager> m_safety;
    LoginItemService m_loginItems;
    std::unique_ptr<UpdateWindow> m_updateWindow;
    std::unique_ptr<UpdateService> m_updates;
    // Outlives the settings window that shows its tabs.
    std::unique_ptr<SettingsTabs> m_settingsTabs;
    std::unique_ptr<SettingsWindows> m_settingsWindows;
    std::unique_ptr<SettingsWindowController> m_settings;
    OnboardingWindowController m_onboarding;
};
