// Idle cost of the program beside CopyQ, another Qt tray program, under the same private X server
// and session bus with a tray host: RSS and PSS after 10 s, CPU time over 30 s (the process and
// its children), then how long the tray panel takes to appear the first time; and its CPU over
// the first 30 s when 10,001 applications are protected.
//
//   build/bench/velmora-bench-tray [other-program]    (default: copyq)
//   build/bench/velmora-bench-tray --protected N      (the start-up figure alone, N apps)
#include "fakes/CapturingLogger.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "storage/SettingsFileStore.h"
#include "support/PrivateBus.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

QList<qint64> withChildren(qint64 pid) {
    QList<qint64> all{pid};
    for (int i = 0; i < all.size(); ++i) {
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(all.at(i)));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& child : children.readAll().split(' '))
            if (!child.trimmed().isEmpty())
                all.append(child.trimmed().toLongLong());
    }
    return all;
}

// Rss and Pss in KiB, summed over the process and its children.
std::pair<qint64, qint64> memory(qint64 pid) {
    qint64 rss = 0;
    qint64 pss = 0;
    for (qint64 p : withChildren(pid)) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(p));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() < 2)
                continue;
            if (fields.at(0) == "Rss:")
                rss += fields.at(1).toLongLong();
            if (fields.at(0) == "Pss:")
                pss += fields.at(1).toLongLong();
        }
    }
    return {rss, pss};
}

// CPU seconds so far, to the nanosecond: every thread's time on a CPU from schedstat (the
// clock ticks of stat count 10 ms at a time, a third of the whole figure at rest).
double cpuSeconds(qint64 pid) {
    double total = 0;
    for (qint64 p : withChildren(pid)) {
        const QString tasks = QStringLiteral("/proc/%1/task").arg(p);
        for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile schedstat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
            if (schedstat.open(QIODevice::ReadOnly))
                total += schedstat.readAll().split(' ').value(0).toDouble() / 1e9;
        }
    }
    return total;
}

void mockCall(PrivateBus& bus, const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        watcher, watcherPath, QStringLiteral("org.freedesktop.DBus.Mock"), method);
    call.setArguments(arguments);
    bus.connection().call(call);
}

struct Environment {
    PrivateBus bus;
    XvfbServer x11;
    QTemporaryDir home;

    bool start() {
        if (!bus.isRunning() || !x11.start())
            return false;
        if (!bus.startMock({QStringLiteral("--session"), watcher, watcherPath, watcher}, watcher))
            return false;
        mockCall(bus, QStringLiteral("AddMethod"),
                 {watcher, QStringLiteral("RegisterStatusNotifierItem"), QStringLiteral("s"),
                  QString(), QString()});
        mockCall(bus, QStringLiteral("AddProperty"),
                 {watcher, QStringLiteral("IsStatusNotifierHostRegistered"),
                  QVariant::fromValue(QDBusVariant(true))});
        return true;
    }

    QProcessEnvironment variables() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(x11.display()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        return environment;
    }
};

// In the private session, its output dropped; false when it did not start.
bool startQuietly(QProcess& process, const Environment& environment, const QString& program) {
    process.setProcessEnvironment(environment.variables());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, QStringList());
    return process.waitForStarted();
}

// The settings of a user who protects this many applications, written as the program would.
void protectMany(const QString& configHome, int count) {
    CapturingLogger logger;
    SettingsFileStore store(configHome + QStringLiteral("/Tarnwick/Velmora.conf"), logger);
    Defaults defaults(store, logger);
    ProtectedDrivesManager drives(defaults, logger);
    drives.addDrive(QStringLiteral("VelmoraBenchAbsent"), QStringLiteral("/media/absent"),
                    std::nullopt);
    QList<ProtectedApp> apps;
    for (int i = 0; i < count; ++i)
        apps.append(ProtectedApp{QUuid::createUuid(),
                                 QStringLiteral("org.velmora.bench.App%1").arg(i),
                                 QStringLiteral("App %1").arg(i), QString(), true,
                                 drives.drives().first().id, QDateTime::currentDateTimeUtc()});
    defaults.setProtectedApps(apps);
}

// CPU over the first 30 s after the start: reading, checking and watching every record.
void startFigures(Environment& environment, int apps) {
    protectMany(environment.home.filePath(QStringLiteral("config")), apps);
    QProcess velmora;
    startQuietly(velmora, environment, QStringLiteral(VELMORA_BINARY));
    // The highest sum seen: a thread that ended takes its time with it.
    double cpu = 0;
    for (int second = 0; second < 30; ++second) {
        QThread::sleep(1);
        cpu = std::max(cpu, cpuSeconds(velmora.processId()));
    }
    std::printf("velmora    with %d protected apps: CPU over the first 30 s %.2f s\n", apps, cpu);
    velmora.terminate();
    velmora.waitForFinished();
}

void idleFigures(const QString& name, QProcess& process) {
    QThread::sleep(10);
    const auto [rss, pss] = memory(process.processId());
    const double before = cpuSeconds(process.processId());
    QThread::sleep(30);
    const double cpu = cpuSeconds(process.processId()) - before;
    std::printf("%-10s RSS %6.1f MiB  PSS %6.1f MiB  CPU over 30 s %.1f ms (%.3f%%)\n",
                qPrintable(name), rss / 1024.0, pss / 1024.0, cpu * 1000, cpu / 30 * 100);
    std::fflush(stdout);
}

// Milliseconds from the tray's Activate to the panel window being mapped.
double firstPanelOpen(Environment& environment) {
    QList<QVariantList> calls;
    QElapsedTimer wait;
    wait.start();
    while ((calls = environment.bus.mockCalls(watcher, watcherPath,
                                              QStringLiteral("RegisterStatusNotifierItem")))
               .isEmpty() &&
           wait.elapsed() < 20000)
        QThread::msleep(50);
    if (calls.isEmpty())
        return -1;
    xcb_connection_t* x = xcb_connect(environment.x11.display().constData(), nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    QDBusMessage activate = QDBusMessage::createMethodCall(
        calls.first().first().toString(), QStringLiteral("/StatusNotifierItem"),
        QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"));
    activate << 300 << 5;
    QElapsedTimer timer;
    timer.start();
    environment.bus.connection().call(activate, QDBus::NoBlock);
    double result = -1;
    while (timer.elapsed() < 10000) {
        xcb_generic_event_t* event = xcb_wait_for_event(x);
        if (!event)
            break;
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        free(event);
        if (mapped) {
            result = timer.nsecsElapsed() / 1e6;
            break;
        }
    }
    xcb_disconnect(x);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--protected") {
        Environment environment;
        if (!environment.start())
            return 1;
        startFigures(environment, QByteArray(argv[2]).toInt());
        return 0;
    }
    const QString other = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("copyq");

    {
        Environment environment;
        if (!environment.start()) {
            std::fprintf(stderr, "no private X server or bus: %s %s\n",
                         qPrintable(environment.bus.lastError),
                         qPrintable(environment.x11.error()));
            return 1;
        }
        QProcess velmora;
        startQuietly(velmora, environment, QStringLiteral(VELMORA_BINARY));
        idleFigures(QStringLiteral("velmora"), velmora);
        std::printf("velmora    first panel open %.1f ms\n", firstPanelOpen(environment));
        QThread::sleep(2);
        const auto [rss, pss] = memory(velmora.processId());
        std::printf("velmora    with the panel made: RSS %.1f MiB  PSS %.1f MiB\n", rss / 1024.0,
                    pss / 1024.0);
        velmora.terminate();
        velmora.waitForFinished();
    }
    {
        Environment environment;
        if (!environment.start())
            return 1;
        startFigures(environment, 10'001);
    }
    {
        Environment environment;
        if (!environment.start())
            return 1;
        QProcess program;
        if (!startQuietly(program, environment, other)) {
            std::fprintf(stderr, "%s did not start\n", qPrintable(other));
            return 1;
        }
        idleFigures(other, program);
        program.terminate();
        if (!program.waitForFinished(5000))
            program.kill();
    }
    return 0;
}
