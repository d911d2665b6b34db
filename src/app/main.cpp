#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "platform/linux/DBusNotifier.h"
#include "platform/linux/LinuxVolumeSource.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/LogindPowerEvents.h"
#include "platform/linux/MountTableWatcher.h"
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
#include "platform/linux/XdgAppIconSource.h"

#include <QApplication>

namespace {

QStringList argumentList(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Enforcement must keep working on a machine without a screen.
void chooseOffscreenWithoutDisplay(Logger& logger) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    logger.log(QStringLiteral("[Velmora] No display found; running without windows (offscreen)"));
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
    MountTableWatcher mountChanges;
    const OverlayWindowsFactory makeOverlayWindows = [&](const OverlayViewServices& services) {
        return std::make_unique<QuickOverlayWindows>(QuickOverlayWindows::Dependencies{
            services.apps, services.drives, workspace, services.language, appIcons, logger});
    };
    AppDelegate delegate(Ports{scheduler, store, volumes, logger, notifier, powerEvents, appIcons,
                               hotKeys, auth, workspace, screens, makeOverlayWindows, keyMonitor,
                               selfActivation, mountChanges});
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
