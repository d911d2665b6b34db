#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "platform/linux/DBusNotifier.h"
#include "platform/linux/LinuxVolumeSource.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/LogindPowerEvents.h"
#include "platform/linux/PolkitAuthBackend.h"
#include "platform/linux/QtKeyMonitor.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/QtSelfActivation.h"
#include "platform/linux/QuickOverlayWindows.h"
#include "platform/linux/SettingsFileStore.h"
#include "platform/linux/SystemLogger.h"
#include "platform/linux/UnixSignalWatcher.h"
#include "platform/linux/X11HotKeyBackend.h"
#include "platform/linux/XcbSession.h"
#include "platform/linux/XdgAppIconSource.h"

#include <QApplication>
#include <cstdlib>

namespace {

QStringList argumentList(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Enforcement must keep working on a machine without a screen, or whose X server is gone (Qt
// would abort on it).
void chooseOffscreenWithoutDisplay(Logger& logger) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    const QByteArray display = qgetenv("DISPLAY");
    if (!display.isEmpty() && XcbSession::open(display))
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
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
    case CommandLine::Action::run:
        break;
    }

    SystemLogger logger;
    chooseOffscreenWithoutDisplay(logger);

    QApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    QApplication::setOrganizationDomain(QStringLiteral("tarnwick.com"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.tarnwick.Velmora"));
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    displayLossLogger = &logger;
    qtMessageHandler = qInstallMessageHandler(endWhenTheDisplayIsLost);

    QtScheduler scheduler;
    SettingsFileStore store(SettingsFileStore::defaultFilePath(), logger);
    LinuxVolumeSource volumes(logger);
    DBusNotifier notifier(logger);
    LogindPowerEvents powerEvents(logger);
    XdgAppIconSource appIcons(logger);
    X11HotKeyBackend hotKeys(logger, X11HotKeyBackend::qtConnection());
    PolkitAuthBackend auth;
    LinuxWorkspace workspace(logger);
    QtScreens screens;
    QtKeyMonitor keyMonitor;
    QtSelfActivation selfActivation;
    const OverlayWindowsFactory makeOverlayWindows = [&](const OverlayViewServices& services) {
        return std::make_unique<QuickOverlayWindows>(QuickOverlayWindows::Dependencies{
            services.apps, services.drives, workspace, services.language, appIcons, logger});
    };
    AppDelegate delegate(Ports{scheduler, store, volumes, logger, notifier, powerEvents, appIcons,
                               hotKeys, auth, workspace, screens, makeOverlayWindows, keyMonitor,
                               selfActivation});
    // Queued: a second copy asks to quit during start-up, before the event loop runs.
    delegate.terminateApplication = [] {
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    };
    UnixSignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &UnixSignalWatcher::terminationRequested, &delegate,
                     [&delegate] { delegate.requestTermination(); });
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}
