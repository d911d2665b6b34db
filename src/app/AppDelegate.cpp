#include "app/AppDelegate.h"

#include "model/LogName.h"
#include "ports/ApplicationBus.h"
#include "ports/KeyMonitor.h"
#include "ports/Logger.h"
#include "ports/MountChanges.h"
#include "ports/Notifier.h"
#include "ports/PowerEvents.h"
#include "ports/SelfActivation.h"
#include "ports/StatusItem.h"
#include "ports/UpdateWindow.h"
#include "ports/Workspace.h"

#include <QPointer>
#include <QScreen>

AppDelegate::AppDelegate(Ports ports, QObject* parent)
    : QObject(parent)
    , m_ports(ports)
    , m_defaults(ports.store, ports.logger)
    , m_language(m_defaults, ports.scheduler, ports.logger)
    , m_apps(m_defaults, ports.logger)
    , m_drives(m_defaults, ports.logger)
    , m_hotKeys(ports.hotKeys, ports.logger)
    , m_auth(ports.auth, ports.scheduler, ports.logger)
    , m_quit(m_defaults, m_auth, ports.logger)
    , m_guard(m_defaults, m_auth, ports.logger)
    , m_driveKeys({ports.driveKeys, ports.installSecret, m_drives, ports.scheduler, ports.notifier,
                   m_language, ports.logger})
    , m_driveMonitor({ports.scheduler, ports.notifier, ports.volumes, m_drives, m_defaults,
                      ports.logger, &m_language, &m_driveKeys})
    , m_overlayWindows(ports.makeOverlayWindows({m_apps, m_drives, m_language}))
    , m_runHistory(ports.runRecord, ports.workspace, ports.scheduler)
    , m_overlays({ports.scheduler, ports.screens, *m_overlayWindows, ports.keyMonitor,
                  ports.selfActivation, ports.workspace, m_defaults, ports.logger},
                 m_appMonitor)
    , m_appMonitor(ports.workspace, ports.scheduler, m_defaults, m_drives, m_driveMonitor,
                   m_overlays, ports.logger, &m_runHistory)
    , m_menuBarWindows(ports.makeMenuBarWindows(m_language))
    , m_menuBar({m_defaults, m_apps, m_drives, m_guard, m_overlays, ports.statusItem,
                 *m_menuBarWindows, ports.appearance, m_language, ports.logger,
                 QStringLiteral(VELMORA_VERSION)})
    , m_enforcement({ports.scheduler, ports.workspace, m_apps, m_driveMonitor, m_overlays})
    , m_gate({ports.execGate, ports.workspace, ports.scheduler, m_defaults, m_apps, m_drives,
              ports.logger})
    , m_loginItems(ports.loginItems, m_defaults, ports.logger)
    , m_onboarding({m_defaults, m_language, ports.selfActivation, ports.makeOnboardingWindow,
                    [this](bool enabled) { m_loginItems.saveLaunchAtLogin(enabled); },
                    [&statusItem = ports.statusItem] { return statusItem.isTrayAvailable(); }}) {
    QPointer<AppDelegate> self(this);
    m_quit.replyToApplicationShouldTerminate = [self](bool quit) {
        if (self && quit && self->terminateApplication)
            self->terminateApplication();
    };
    m_quit.activateApplication = [self] {
        if (self)
            self->m_ports.selfActivation.activate();
    };
    m_menuBar.onQuitRequested = [self] {
        if (self)
            self->requestTermination();
    };
    m_quit.quitReason = [self] {
        return self ? self->m_language.localized(QStringLiteral("Quit Velmora")) : QString();
    };
    m_quit.explainRefusal = [self] {
        if (self)
            self->explainQuitRefusal();
    };
    m_guard.reason = [self] {
        return self ? self->m_language.localized(QStringLiteral("Lower Velmora's protection"))
                    : QString();
    };
}

// The order is fixed: each step may use what the ones before it made (the settings' General tab
// asks the updater), and the handlers of enforcement are in place before the monitors they listen
// to start.
void AppDelegate::applicationDidFinishLaunching() {
    // The language manager was made with the delegate, so every text is already translated.
    if (isAnotherInstanceRunning()) {
        handOverToRunningCopy();
        return;
    }
    logDriveStates();
    skipQuitPromptAtPowerOff();
    // The tray icon, and the session-bus name that reaches the program without a tray.
    m_menuBar.setup();
    publishOnSessionBus();
    installQuitShortcut();
    startUpdater();
    reportDamagedSettings();
    m_onboarding.showIfNeeded();
    installPanicRoutes();
    // The window itself is made on the first request.
    createSettingsWindowController();
    reportDetectionsToEnforcement();
    m_driveMonitor.startPolling();
    startAppMonitor();
    reportDrivesToEnforcement();
    startExecGate();
}

// A second copy brings the first forward, then quits without asking for authentication.
void AppDelegate::handOverToRunningCopy() {
    m_ports.logger.log(QStringLiteral("[Velmora] Velmora is already running; bringing the "
                                      "running copy forward and quitting"));
    m_quit.setBypassQuitPassword();
    m_ports.applicationBus.activateRunningCopy([self = QPointer<AppDelegate>(this)] {
        if (self)
            self->requestTermination();
    });
}

// Power-off and log-out never wait for the quit prompt.
void AppDelegate::skipQuitPromptAtPowerOff() {
    m_ports.powerEvents.onPowerOff([self = QPointer<AppDelegate>(this)] {
        if (self)
            self->m_quit.setBypassQuitPassword();
    });
}

void AppDelegate::publishOnSessionBus() {
    m_ports.applicationBus.publish([self = QPointer<AppDelegate>(this)] {
        if (self)
            self->handleApplicationActivate();
    });
}

void AppDelegate::reportDamagedSettings() {
    m_ports.notifier.requestPermission([](bool) {});
    m_defaults.setDamageHandler(
        [self = QPointer<AppDelegate>(this)](const QString& key, int unreadableRecords) {
            if (self)
                self->notifyDamagedList(key, unreadableRecords);
        });
}

// The panic key, and where no global key can be had, `velmora --panic` bound in the desktop's
// own shortcuts, which takes the same path.
void AppDelegate::installPanicRoutes() {
    QPointer<AppDelegate> self(this);
    m_safety = std::make_unique<SafetyManager>(m_hotKeys, m_ports.logger);
    m_safety->onPanicKeyPressed = [self] {
        if (!self)
            return;
        self->m_enforcement.handlePanic();
        self->m_onboarding.panicKeyPressed();
    };
    m_ports.applicationBus.setActionHandler([self](const QString& action) {
        if (!self || action != QLatin1String("panic"))
            return false;
        self->m_safety->triggerPanic();
        return true;
    });
}

void AppDelegate::reportDetectionsToEnforcement() {
    QPointer<AppDelegate> self(this);
    m_appMonitor.onProtectedAppDetected = [self](const ProtectedApp& app) {
        if (self)
            self->m_enforcement.handleDetection(app);
    };
}

// The exec watches follow the protected list.
void AppDelegate::startAppMonitor() {
    m_runHistory.start();
    m_appMonitor.startMonitoring();
    connect(&m_apps, &ProtectedAppsManager::changed, &m_appMonitor,
            &AppMonitorService::refreshLaunchWatches);
}

void AppDelegate::reportDrivesToEnforcement() {
    QPointer<AppDelegate> self(this);
    m_driveMonitor.onRequiredDriveMounted = [self](const ProtectedDrive& drive) {
        if (self)
            self->m_enforcement.handleDriveMounted(drive);
    };
    m_driveMonitor.onRequiredDriveUnmounted = [self](const ProtectedDrive& drive) {
        if (self)
            self->m_enforcement.handleDriveUnmounted(drive);
    };
    // An unplugged drive locks at once, not one interval later.
    m_ports.mountChanges.setHandler([self] {
        if (self)
            self->m_driveMonitor.checkNow();
    });
}

// A start the gate refused is reported as a killed launch is: the card comes up for the app.
void AppDelegate::startExecGate() {
    m_gate.onRefused = [self = QPointer<AppDelegate>(this)](const ProtectedApp& app) {
        if (self)
            self->m_enforcement.handleDetection(app);
    };
    m_gate.start();
}

void AppDelegate::requestTermination() {
    if (m_quit.applicationShouldTerminate() == TerminateReply::terminateNow && terminateApplication)
        terminateApplication();
}

bool AppDelegate::isAnotherInstanceRunning() const {
    const std::int32_t ownPid = m_ports.workspace.ownProcessIdentifier();
    for (const RunningApplication& running : m_ports.workspace.runningApplications()) {
        if (running.bundleIdentifier == ownIdentifier && running.processIdentifier != ownPid)
            return true;
    }
    return false;
}

// Ctrl+Q quits from any window of the program. The overlays' intercept, installed later, sees
// the key first and swallows it while it is in force.
void AppDelegate::installQuitShortcut() {
    QPointer<AppDelegate> self(this);
    m_ports.keyMonitor.install([self](const KeyPress& press) {
        const Qt::KeyboardModifiers held =
            press.modifiers &
            (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
        if (press.key != Qt::Key_Q || held != Qt::ControlModifier || !self)
            return false;
        self->requestTermination();
        return true;
    });
}

void AppDelegate::startUpdater() {
    m_updateWindow = m_ports.makeUpdateWindow(m_language);
    UpdateWindow& window = *m_updateWindow;
    m_updates = std::make_unique<UpdateService>(UpdateService::Dependencies{
        m_ports.updater, window, m_ports.notifier, m_ports.scheduler, m_ports.store, m_language,
        m_ports.logger, QStringLiteral(VELMORA_VERSION),
        [] { return QDateTime::currentDateTimeUtc(); },
        [&window](const QUrl& url) { window.openLink(url); }});
    m_updates->start();
}

void AppDelegate::createSettingsWindowController() {
    m_settingsWindows = m_ports.makeSettingsWindows(m_language);
    const auto makeGeneralModel = [this] {
        return std::make_unique<GeneralSettingsViewModel>(GeneralSettingsViewModel::Dependencies{
            m_defaults, m_language, m_auth, m_guard, m_driveMonitor, m_loginItems, m_gate,
            [this] { m_updates->checkForUpdates(); }, QStringLiteral(VELMORA_VERSION)});
    };
    m_settings = std::make_unique<SettingsWindowController>(SettingsWindowController::Dependencies{
        m_ports.screens, *m_settingsWindows, m_language, m_ports.selfActivation, makeGeneralModel});
    connect(&m_menuBar, &MenuBarController::openSettingsRequested, m_settings.get(),
            &SettingsWindowController::showWindow);
    createSettingsTabs();
}

// The Apps and Drives tabs are handed to the settings controller, so they follow it.
void AppDelegate::createSettingsTabs() {
    m_settingsTabs = std::make_unique<SettingsTabs>(SettingsTabs::Dependencies{
        m_apps, m_drives, m_guard, m_driveMonitor, m_defaults, m_language, m_ports.volumes,
        m_ports.installedApps, m_ports.appIcons, m_ports.logger});
    m_settings->setTabModels(&m_settingsTabs->appsModel(), &m_settingsTabs->drivesModel());
}

void AppDelegate::logDriveStates() {
    for (const ProtectedDrive& drive : m_drives.drives()) {
        const bool mounted = m_driveMonitor.isDriveMounted(drive);
        m_ports.logger.log(QStringLiteral("[Velmora] Registered drive %1: %2")
                               .arg(logName(drive.name), mounted ? QStringLiteral("mounted")
                                                                 : QStringLiteral("not mounted")));
    }
}

// A damaged stored list silently turning protection off would be worse than any message.
void AppDelegate::notifyDamagedList(const QString& key, int unreadableRecords) {
    QString body =
        m_language.localized(QStringLiteral("The saved list is unreadable and ignored."));
    if (unreadableRecords > 0)
        body =
            m_language.plural(QStringLiteral("%lld saved records are unreadable; the rest apply."),
                              unreadableRecords);
    m_ports.notifier.post(QStringLiteral("unreadable-") + key,
                          m_language.localized(QStringLiteral("Some saved settings are damaged")),
                          body, false);
}

void AppDelegate::explainQuitRefusal() {
    m_ports.notifier.post(
        QStringLiteral("quit-refused"),
        m_language.localized(QStringLiteral("Velmora can't quit without your password")),
        m_language.localized(QStringLiteral(
            "Nobody can be asked for your password here, so Velmora keeps running. The panic key, "
            "velmora --panic and the 60-second time-out still free the screen.")),
        false);
}

// A launcher (or a second copy) brings up the settings, which also serves desktops without a tray.
void AppDelegate::handleApplicationActivate() {
    if (m_settings)
        m_settings->showWindow(nullptr);
}
