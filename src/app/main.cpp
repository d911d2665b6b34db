#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/LockWindows.h"
#include "app/PanicCommand.h"
#include "app/SelfAgentPrompt.h"
#include "dbus/DBusApplicationService.h"
#include "dbus/DBusExecGate.h"
#include "dbus/DBusNotifier.h"
#include "dbus/LogindPowerEvents.h"
#include "dbus/PolkitAuthBackend.h"
#include "dbus/PortalDesktopAppearance.h"
#include "onboarding/QuickOnboardingWindow.h"
#include "overlay/LockCards.h"
#include "process/LinuxWorkspace.h"
#include "process/UnixSignalWatcher.h"
#include "qt/AppcastUpdater.h"
#include "qt/QtKeyMonitor.h"
#include "qt/QtScheduler.h"
#include "qt/QtScreens.h"
#include "qt/QtSelfActivation.h"
#include "qt/QtStatusItem.h"
#include "session/DesktopSession.h"
#include "session/HotKeyBackendSelector.h"
#include "session/SystemLogger.h"
#include "settings/QuickSettingsWindows.h"
#include "storage/InstallSecretFile.h"
#include "storage/LinuxDriveKeyFiles.h"
#include "storage/LinuxVolumeSource.h"
#include "storage/MountTableWatcher.h"
#include "storage/RunRecordFile.h"
#include "storage/SettingsFileStore.h"
#include "tray/QuickMenuBarWindows.h"
#include "updates/QuickUpdateWindow.h"
#include "wayland/LayerShellOverlayWindows.h"
#include "wayland/WaylandConnection.h"
#include "wayland/WaylandScreens.h"
#include "x11/QuickOverlayWindows.h"
#include "xdg/ApplicationScanner.h"
#include "xdg/DesktopEntryIndex.h"
#include "xdg/XdgAppIconSource.h"
#include "xdg/XdgAutostartLoginItems.h"

#include <QApplication>
#include <QQuickWindow>
#include <csignal>
#include <cstdlib>

namespace {

QStringList argumentList(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Enforcement must keep working on a machine without a screen, or whose X server is gone (Qt
// would abort on it). Qt's windows need X11 on a Wayland desktop too (XWayland); without it the
// lock windows still show there through layer-shell, which needs nothing of Qt's platform.
void chooseOffscreenWithoutDisplay(const DesktopSession& session, Logger& logger) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (session.isX11Reachable()) {
        // Qt would pick its Wayland platform where it is installed; the tray panel is placed by
        // screen coordinates, which only X11 gives to ordinary windows.
        if (session.isWayland())
            qputenv("QT_QPA_PLATFORM", "xcb");
        return;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (session.isWayland()) {
        logger.log(QStringLiteral("[Velmora] No X display (XWayland) on this Wayland session; "
                                  "windows other than the lock windows run offscreen"));
        return;
    }
    const QByteArray& display = session.x11Display();
    logger.log(
        display.isEmpty()
            ? QStringLiteral("[Velmora] No display found; running without windows (offscreen)")
            : QStringLiteral("[Velmora] Cannot connect to display %1; running without "
                             "windows (offscreen)")
                  .arg(QString::fromLocal8Bit(display)));
}

Logger* displayLossLogger = nullptr;
QtMessageHandler qtMessageHandler = nullptr;

// Qt ends the program itself when the X connection breaks (the session is ending); say so once in
// our own words and end with success, so the next login's copy simply starts afresh. Settings are
// saved at every change, so nothing is lost by ending here.
void endWhenTheDisplayIsLost(QtMsgType type, const QMessageLogContext& context,
                             const QString& message) {
    if (message.startsWith(QLatin1String("The X11 connection broke"))) {
        displayLossLogger->log(
            QStringLiteral("[Velmora] Lost the connection to the display; quitting"));
        std::_Exit(0);
    }
    qtMessageHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    switch (CommandLine::handle(argumentList(argc, argv))) {
    case CommandLine::Action::exitSuccess:
        return 0;
    case CommandLine::Action::exitFailure:
        return 2;
    case CommandLine::Action::panic: {
        QCoreApplication client(argc, argv);
        return PanicCommand::run();
    }
    case CommandLine::Action::run:
        break;
    }

    SystemLogger logger;
    const DesktopSession session;
    chooseOffscreenWithoutDisplay(session, logger);

    QApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    QApplication::setOrganizationDomain(QStringLiteral("tarnwick.com"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.tarnwick.Velmora"));
    // Every view is flat 2D: the software renderer draws them without loading an OpenGL stack,
    // which would cost far more memory than the views themselves and slow the first window.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora/icons/com.tarnwick.Velmora.svg")));
    displayLossLogger = &logger;
    qtMessageHandler = qInstallMessageHandler(endWhenTheDisplayIsLost);

    QtScheduler scheduler;
    SettingsFileStore store(SettingsFileStore::defaultFilePath(), logger);
    LinuxVolumeSource volumes(logger);
    DBusNotifier notifier(logger);
    LogindPowerEvents powerEvents(logger);
    XdgAppIconSource appIcons(logger);
    const std::unique_ptr<HotKeyBackend> hotKeys =
        HotKeyBackendSelector::forSession(session, logger);
    PolkitAuthBackend auth;
    LinuxWorkspace workspace(logger, DesktopEntryIndex::defaultDataDirs(), session.x11Display(),
                             session.waylandDisplay(), session.swaySocket());
    const std::unique_ptr<WaylandConnection> wayland = session.openWayland(logger);
    const bool layerShell = DesktopSession::offersLayerShell(wayland.get(), logger);
    QtScreens qtScreens;
    const auto waylandScreens = layerShell ? std::make_unique<WaylandScreens>(*wayland) : nullptr;
    Screens& screens = waylandScreens ? static_cast<Screens&>(*waylandScreens) : qtScreens;
    QtKeyMonitor keyMonitor;
    QtSelfActivation selfActivation;
    MountTableWatcher mountChanges;
    LinuxDriveKeyFiles driveKeys;
    InstallSecretFile installSecret(InstallSecretFile::defaultFilePath(), logger);
    RunRecordFile runRecord(RunRecordFile::defaultFilePath(), logger);
    const OverlayWindowsFactory makeOverlayWindows =
        [&](const OverlayViewServices& services) -> std::unique_ptr<OverlayWindows> {
        auto cards = std::make_unique<LockCards>(LockCards::Dependencies{
            services.apps, services.drives, workspace, services.language, appIcons, logger});
        return std::make_unique<LockWindows>(
            std::move(cards), [&](OverlayCards& shown) -> std::unique_ptr<OverlayWindows> {
                if (waylandScreens)
                    return std::make_unique<LayerShellOverlayWindows>(*wayland, *waylandScreens,
                                                                      shown, logger);
                return std::make_unique<QuickOverlayWindows>(shown, session.isWayland(), logger);
            });
    };
    const OnboardingWindowFactory makeOnboardingWindow = [&](OnboardingViewModel& model,
                                                             LanguageManager& language) {
        return std::make_unique<QuickOnboardingWindow>(model, language, appIcons, logger);
    };
    QtStatusItem statusItem;
    const MenuBarWindowsFactory makeMenuBarWindows = [&](LanguageManager& language) {
        return std::make_unique<QuickMenuBarWindows>(language, appIcons, logger);
    };
    PortalDesktopAppearance appearance(logger);
    DBusApplicationService applicationBus(logger);
    XdgAutostartLoginItems loginItems;
    const SettingsWindowsFactory makeSettingsWindows = [&](LanguageManager& language) {
        return std::make_unique<QuickSettingsWindows>(language, appIcons, logger);
    };
    AppcastUpdater updater(QUrl(QStringLiteral(VELMORA_UPDATE_FEED_URL)));
    const UpdateWindowFactory makeUpdateWindow = [&](LanguageManager& language) {
        return std::make_unique<QuickUpdateWindow>(language, appIcons, logger);
    };
    DBusExecGate execGate;
    ApplicationScanner installedApps(logger, DesktopEntryIndex::defaultDataDirs());
    AppDelegate delegate(Ports{
        .scheduler = scheduler,
        .store = store,
        .volumes = volumes,
        .logger = logger,
        .notifier = notifier,
        .powerEvents = powerEvents,
        .appIcons = appIcons,
        .hotKeys = *hotKeys,
        .auth = auth,
        .workspace = workspace,
        .screens = screens,
        .makeOverlayWindows = makeOverlayWindows,
        .keyMonitor = keyMonitor,
        .selfActivation = selfActivation,
        .statusItem = statusItem,
        .makeMenuBarWindows = makeMenuBarWindows,
        .appearance = appearance,
        .applicationBus = applicationBus,
        .makeOnboardingWindow = makeOnboardingWindow,
        .loginItems = loginItems,
        .makeSettingsWindows = makeSettingsWindows,
        .updater = updater,
        .makeUpdateWindow = makeUpdateWindow,
        .mountChanges = mountChanges,
        .installedApps = installedApps,
        .driveKeys = driveKeys,
        .installSecret = installSecret,
        .execGate = execGate,
        .runRecord = runRecord,
    });
    // Queued: a second copy asks to quit during start-up, before the event loop runs.
    delegate.terminateApplication = [] {
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    };
    const SelfAgentPrompt selfAgentPrompt(auth.selfAgent(), delegate.language(), appIcons, logger);
    UnixSignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &UnixSignalWatcher::terminationRequested, &delegate,
                     [&delegate, &logger](int signalNumber) {
                         logger.log(QStringLiteral("[Velmora] Quit requested by %1")
                                        .arg(signalNumber == SIGINT ? QStringLiteral("SIGINT")
                                                                    : QStringLiteral("SIGTERM")));
                         delegate.requestTermination();
                     });
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}
