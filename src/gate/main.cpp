#include "ExecDecider.h"
#include "FanotifyGate.h"
#include "GateService.h"
#include "PolicyStore.h"
#include "SystemdNotifier.h"
#include "dbus/GatedAppDbus.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDebug>
#include <QTimer>
#include <sys/stat.h>

namespace {

const QString busName = QStringLiteral("com.tarnwick.VelmoraGate");
const QString objectPath = QStringLiteral("/com/tarnwick/VelmoraGate");

// The watchdog is fed only while the reader thread is alive: a stuck gate gets restarted.
void feedWatchdog(const FanotifyGate& gate, std::chrono::milliseconds interval) {
    if (FanotifyGate::Clock::now() - gate.lastBeat() < interval)
        SystemdNotifier::notify("WATCHDOG=1");
}

} // namespace

int main(int argc, char** argv) {
    ::umask(077);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-gate"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Refuses a protected program's exec while its drive is missing."));
    parser.addHelpOption();
    const QCommandLineOption foreground(QStringLiteral("foreground"),
                                        QStringLiteral("Serve on the system bus."));
    const QCommandLineOption stateDir(
        QStringLiteral("state-dir"), QStringLiteral("Where the policies are kept."),
        QStringLiteral("folder"), QStringLiteral("/var/lib/velmora-gate"));
    parser.addOptions({foreground, stateDir});
    parser.process(application);
    if (!parser.isSet(foreground))
        parser.showHelp(2);

    registerGatedAppDbusTypes();
    PolicyStore store(parser.value(stateDir));
    ExecDecider decider;
    GateService* service = nullptr;
    FanotifyGate gate(
        decider,
        [&service](const ExecVerdict& verdict, pid_t pid) {
            QMetaObject::invokeMethod(
                service, [service, verdict, pid] { service->reportRefusal(verdict, pid); },
                Qt::QueuedConnection);
        },
        [&application](pid_t pid) {
            QMetaObject::invokeMethod(
                &application,
                [pid] { qWarning().noquote() << "velmora-gate: allowed late exec of pid" << pid; },
                Qt::QueuedConnection);
        });
    GateService gateService(store, decider, gate);
    service = &gateService;

    QString error;
    if (!gate.start(error)) {
        qCritical().noquote() << "velmora-gate: fanotify unavailable:" << error;
        return 1;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerObject(objectPath, &gateService,
                            QDBusConnection::ExportScriptableSlots |
                                QDBusConnection::ExportScriptableSignals) ||
        !bus.registerService(busName)) {
        qCritical().noquote() << "velmora-gate: cannot own" << busName << "on the system bus";
        return 1;
    }
    gateService.loadStored();
    SystemdNotifier::notify("READY=1");
    qInfo().noquote() << "velmora-gate: ready";

    QTimer watchdog;
    const auto interval = SystemdNotifier::watchdogInterval();
    if (interval.count() > 0) {
        QObject::connect(&watchdog, &QTimer::timeout, &watchdog,
                         [&gate, interval] { feedWatchdog(gate, interval); });
        watchdog.start(interval);
    }
    return application.exec();
}
