#include "dbus/DBusApplicationService.h"
#include "fakes/CapturingLogger.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "storage/SettingsFileStore.h"
#include "support/PrivateBus.h"
#include "support/TestMounts.h"
#include "support/XvfbServer.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runToEnd(const QStringList& arguments, const QString& sessionBus = {}) {
    QProcess process;
    if (!sessionBus.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), sessionBus);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(VELMORA_BINARY), arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

// The real program, started as a user would start it.
class ProgramTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;

    QString configFile() const {
        return home.filePath(QStringLiteral("config/Tarnwick/Velmora.conf"));
    }

    // Starts the program without any display, as on a headless machine, or on `display`, and
    // collects its log.
    std::unique_ptr<QProcess> start(const QByteArray& display = {},
                                    const QString& sessionBus = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        if (!sessionBus.isEmpty())
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), sessionBus);
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(QStringLiteral(VELMORA_BINARY), QStringList());
        process->waitForStarted(10000);
        return process;
    }

    static QString waitForLog(QProcess& process, const QString& expected) {
        QString log;
        QDeadlineTimer deadline(20000);
        while (!log.contains(expected) && !deadline.hasExpired() &&
               process.state() == QProcess::Running) {
            process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
            log += QString::fromUtf8(process.readAll());
        }
        return log;
    }

    static void stop(QProcess& process) {
        QCOMPARE(process.state(), QProcess::Running); // it did not crash meanwhile
        process.terminate();
        QVERIFY(process.waitForFinished(10000));
    }

private slots:
    void answersHelpAndVersion() {
        const Run help = runToEnd({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith(QStringLiteral("Usage: velmora [OPTION]")));
        QVERIFY(help.out.contains(QStringLiteral("--version")));
        QVERIFY(help.out.contains(QStringLiteral("--panic")));

        const Run version = runToEnd({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QStringLiteral("velmora " VELMORA_VERSION "\n"));

        const Run unknown = runToEnd({QStringLiteral("--frobnicate")});
        QCOMPARE(unknown.exitCode, 2);
        QVERIFY(unknown.out.isEmpty());
        QVERIFY(unknown.err.contains(QStringLiteral("unrecognized option '--frobnicate'")));
    }

    void logsEveryRegisteredDriveWithoutADisplay() {
        TestMounts mounts;
        const QString mountReason = TestMounts::whyMountingIsNotPossible();
        const QString present = home.filePath(QStringLiteral("media/Velmora Present"));
        if (mountReason.isEmpty())
            QVERIFY2(mounts.mountTmpfs(present), qPrintable(mounts.lastError));
        {
            CapturingLogger logger;
            SettingsFileStore store(configFile(), logger);
            Defaults defaults(store, logger);
            ProtectedDrivesManager drives(defaults, logger);
            drives.addDrive(QStringLiteral("Velmora Absent"), QStringLiteral("/media/nowhere"),
                            QStringLiteral("NO-SUCH-UUID"));
            drives.addDrive(QStringLiteral("Velmora Present"), present, std::nullopt);
        }

        auto process = start();
        const QString log =
            waitForLog(*process, QStringLiteral("Registered drive Velmora Present"));
        stop(*process);
        QVERIFY2(log.contains(QStringLiteral(
                     "[Velmora] No display found; running without windows (offscreen)\n")),
                 qPrintable(log));
        QVERIFY2(log.contains(
                     QStringLiteral("[Velmora] Registered drive Velmora Absent: not mounted\n")),
                 qPrintable(log));
        if (!mountReason.isEmpty())
            QSKIP(qPrintable(QStringLiteral("the present drive could not be mounted: ") +
                             mountReason));
        QVERIFY2(
            log.contains(QStringLiteral("[Velmora] Registered drive Velmora Present: mounted\n")),
            qPrintable(log));
    }

    void survivesADamagedSettingsFileWithoutLosingIt() {
        const QByteArray damaged(
            "\x01\x02 not ini at "
            "all\n[General]\nprotectedDrives=@ByteArray([{\"id\":1}])\n[oops\n");
        QDir().mkpath(QFileInfo(configFile()).path());
        QFile file(configFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damaged);
        file.close();

        auto process = start();
        const QString log = waitForLog(*process, QStringLiteral("is damaged; kept a copy at"));
        stop(*process);
        QVERIFY2(log.contains(QStringLiteral("is damaged; kept a copy at")), qPrintable(log));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), damaged);
    }

    void panicFromTheCommandLineReachesTheRunningCopy() {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        const Run alone = runToEnd({QStringLiteral("--panic")}, bus.address());
        QCOMPARE(alone.exitCode, 1);
        QVERIFY2(alone.err.contains(QStringLiteral("Velmora is not running")),
                 qPrintable(alone.err));
        const Run noBus =
            runToEnd({QStringLiteral("--panic")}, QStringLiteral("unix:path=/nonexistent/bus"));
        QCOMPARE(noBus.exitCode, 1);
        QVERIFY2(noBus.err.contains(QStringLiteral("cannot reach the session bus")),
                 qPrintable(noBus.err));
        // No address and no bus socket: said so, and no bus of its own started.
        QProcess unaddressed;
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        bare.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        bare.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        unaddressed.setProcessEnvironment(bare);
        unaddressed.start(QStringLiteral(VELMORA_BINARY), {QStringLiteral("--panic")});
        QVERIFY(unaddressed.waitForFinished(30000));
        QCOMPARE(unaddressed.exitCode(), 1);
        QVERIFY(QString::fromUtf8(unaddressed.readAllStandardError())
                    .contains(QStringLiteral("no session bus address")));

        QDBusServiceWatcher watcher(DBusApplicationService::serviceName, bus.connection(),
                                    QDBusServiceWatcher::WatchForRegistration);
        QSignalSpy published(&watcher, &QDBusServiceWatcher::serviceRegistered);
        auto process = start({}, bus.address());
        if (!bus.connection().interface()->isServiceRegistered(DBusApplicationService::serviceName))
            QVERIFY(published.wait(20000));
        const Run panic = runToEnd({QStringLiteral("--panic")}, bus.address());
        QCOMPARE(panic.exitCode, 0);
        QVERIFY2(panic.err.isEmpty(), qPrintable(panic.err));
        const QString line =
            QStringLiteral("[Velmora Safety] Panic key activated — dismissing all overlays");
        QString log = waitForLog(*process, line);
        stop(*process);
        log += QString::fromUtf8(process->readAll());
        QVERIFY2(log.contains(line), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("[Velmora] Quit requested by SIGTERM")),
                 qPrintable(log));
    }

    // The session ends and its X server with it: one line, and a clean end.
    void endsCleanlyWhenTheDisplayGoesAway() {
        auto server = std::make_unique<XvfbServer>();
        if (!server->start())
            QSKIP(qPrintable(server->error()));
        auto process = start(server->display());
        QString log = waitForLog(*process, QStringLiteral("App monitor started"));
        QVERIFY2(log.contains(QStringLiteral("App monitor started")), qPrintable(log));
        server.reset();
        QVERIFY(process->waitForFinished(10000));
        log += QString::fromUtf8(process->readAll());
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
        QCOMPARE(
            log.count(QStringLiteral("[Velmora] Lost the connection to the display; quitting\n")),
            1);
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "ProgramTest.moc"
