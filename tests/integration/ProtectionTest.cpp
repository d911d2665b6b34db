#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "platform/linux/LinuxVolumeSource.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/SettingsFileStore.h"
#include "services/AppMonitorService.h"
#include "services/DriveMonitorService.h"
#include "support/InstalledTestApp.h"
#include "support/PrivateBus.h"

#include <QDBusMessage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>

namespace {

constexpr int deadlineMs = 5000;

// The drive's name is unique, so no volume on the machine can stand in for it.
QString uniqueDriveName() {
    return QStringLiteral("VelmoraTest%1").arg(QCoreApplication::applicationPid());
}

// Protects the stand-in application, requiring a drive that is not mounted.
void protectTestApp(Defaults& defaults, Logger& logger) {
    ProtectedDrivesManager drives(defaults, logger);
    drives.addDrive(uniqueDriveName(), QStringLiteral("/media/velmora-test"), std::nullopt);
    defaults.setProtectedApps({ProtectedApp{
        QUuid::createUuid(), InstalledTestApp::mainId(), QStringLiteral("Test App"), QString(),
        true, drives.drives().first().id, QDateTime::currentDateTimeUtc()}});
}

bool wasKilled(const QProcess& process) {
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::CrashExit &&
           process.exitCode() == SIGKILL;
}

// A tmpfs named like the drive; unmounted when it goes.
class TestVolume {
public:
    explicit TestVolume(const QString& name)
        : m_path(m_dir.filePath(name)) {
        QDir().mkpath(m_path);
        if (::mount("tmpfs", m_path.toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~TestVolume() {
        if (m_error.isEmpty())
            ::umount2(m_path.toLocal8Bit().constData(), MNT_DETACH);
    }
    // Empty when mounted.
    QString error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_error;
};

} // namespace

class ProtectionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_app = std::make_unique<InstalledTestApp>();
        qputenv("XDG_DATA_HOME", m_app->dataHome().toLocal8Bit());
    }

    void killsTheAppWithoutItsDriveAndLetsItRunWithIt() {
        CapturingLogger logger;
        MemoryStore store;
        Defaults defaults(store, logger);
        protectTestApp(defaults, logger);
        ProtectedDrivesManager drives(defaults, logger);
        LinuxVolumeSource volumes(logger);
        QtScheduler scheduler;
        FakeNotifier notifier;
        DriveMonitorService driveMonitor({scheduler, notifier, volumes, drives, defaults, logger});
        LinuxWorkspace workspace(logger, DesktopEntryIndex::defaultDataDirs(), "no-display:0");
        FakeOverlayState overlay;
        AppMonitorService monitor(workspace, scheduler, defaults, drives, driveMonitor, overlay,
                                  logger);
        int reports = 0;
        monitor.onProtectedAppDetected = [&](const ProtectedApp&) { ++reports; };
        monitor.startMonitoring();

        QProcess locked;
        locked.start(InstalledTestApp::program());
        QVERIFY(locked.waitForStarted(deadlineMs));
        const qint64 pid = locked.processId();
        QTRY_VERIFY_WITH_TIMEOUT(wasKilled(locked), deadlineMs);
        QVERIFY(logger.lines.contains(
            QStringLiteral(
                "[Velmora] Drive %1 not mounted — killing new process: Test App (pid=%2)")
                .arg(uniqueDriveName())
                .arg(pid)));
        QCOMPARE(reports, 1);
        // Its end, seen by the workspace, lets the next launch be judged afresh.
        QTRY_VERIFY_WITH_TIMEOUT(monitor.pendingLockBundleIDs().isEmpty(), deadlineMs);

        TestVolume volume(uniqueDriveName());
        if (!volume.error().isEmpty())
            QSKIP(qPrintable(QStringLiteral("mounting a tmpfs is not permitted here: ") +
                             volume.error()));
        QProcess free;
        free.start(InstalledTestApp::program());
        const QString launched = QStringLiteral(
            "[Velmora] Protected app launched (drive available): Test App (org.velmora.TestApp)");
        QTRY_VERIFY_WITH_TIMEOUT(logger.lines.contains(launched), deadlineMs);
        QCOMPARE(free.state(), QProcess::Running);
        QCOMPARE(reports, 1);
        free.kill();
        free.waitForFinished(deadlineMs);
    }

    // The program as the user starts it enforces protection on its own, whatever else fails: no
    // display, a display that is gone, a udisks2 that answers late or never.
    void theProgramKillsAProtectedAppWithinAPoll_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("udisksAnswersAfterSeconds"); // 0: no udisks2 stand-in
        QTest::newRow("no display") << QString() << 0;
        QTest::newRow("dead display") << QStringLiteral(":97") << 0;
        QTest::newRow("slow udisks2") << QString() << 3;
        QTest::newRow("hung udisks2") << QString() << 3600;
    }

    void theProgramKillsAProtectedAppWithinAPoll() {
        QFETCH(QString, display);
        QFETCH(int, udisksAnswersAfterSeconds);
        QTemporaryDir config;
        {
            CapturingLogger logger;
            SettingsFileStore store(config.filePath(QStringLiteral("Tarnwick/Velmora.conf")),
                                    logger);
            Defaults defaults(store, logger);
            protectTestApp(defaults, logger);
        }
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        PrivateBus systemBus;
        if (udisksAnswersAfterSeconds > 0) {
            startSlowUdisks(systemBus, udisksAnswersAfterSeconds);
            environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus.address());
        }
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(VELMORA_BINARY));
        QByteArray output;
        auto said = [&](const char* text) {
            output += program.readAll();
            return output.contains(text);
        };
        QTRY_VERIFY_WITH_TIMEOUT(said("[Velmora] App monitor started (polling + activation)"),
                                 deadlineMs);
        if (!display.isEmpty())
            QVERIFY2(said("[Velmora] Cannot connect to display :97; running without windows "
                          "(offscreen)\n"),
                     output.constData());

        QProcess locked;
        locked.start(InstalledTestApp::program());
        // Well within the time a blocking call to udisks2 would take (seconds).
        QTRY_VERIFY_WITH_TIMEOUT(wasKilled(locked), udisksAnswersAfterSeconds ? 2500 : deadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(said("killing new process: Test App"), deadlineMs);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished(deadlineMs);
    }

private:
    // A udisks2 stand-in that takes its time to list its objects.
    static void startSlowUdisks(PrivateBus& bus, int seconds) {
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        const QString service = QStringLiteral("org.freedesktop.UDisks2");
        const QString root = QStringLiteral("/org/freedesktop/UDisks2");
        QVERIFY2(bus.startMock({QStringLiteral("--system"), QStringLiteral("-m"), service, root,
                                QStringLiteral("org.freedesktop.UDisks2.Manager")},
                               service),
                 qPrintable(bus.lastError));
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, root, QStringLiteral("org.freedesktop.DBus.Mock"),
            QStringLiteral("AddMethod"));
        call << QStringLiteral("org.freedesktop.DBus.ObjectManager")
             << QStringLiteral("GetManagedObjects") << QString() << QStringLiteral("a{oa{sa{sv}}}")
             << QStringLiteral("time.sleep(%1); ret = {}").arg(seconds);
        const QDBusMessage reply = bus.connection().call(call);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    std::unique_ptr<InstalledTestApp> m_app;
};

QTEST_GUILESS_MAIN(ProtectionTest)
#include "ProtectionTest.moc"
