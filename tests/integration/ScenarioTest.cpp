#include "fakes/CapturingLogger.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "storage/SettingsFileStore.h"
#include "support/InstalledTestApp.h"
#include "support/PrivateBus.h"
#include "support/TestMounts.h"
#include "support/X11Desktop.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {

constexpr int deadlineMs = 15000;
const QString driveLabel = QStringLiteral("Velmora E2E");
const QString driveUuid = QStringLiteral("5d1e7c3a-8b2f-4e6d-9a1c-0f2e3d4c5b6a");

// The titles of the notifications the mock server has shown, in order.
QStringList notificationTitles(PrivateBus& bus) {
    QStringList titles;
    for (const QVariantList& arguments :
         bus.mockCalls(QStringLiteral("org.freedesktop.Notifications"),
                       QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("Notify")))
        titles.append(arguments.value(3).toString());
    return titles;
}

// The program's visible windows, as "WxH+X+Y".
QStringList visibleWindows(const QByteArray& display, qint64 pid) {
    QProcess search;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    search.setProcessEnvironment(environment);
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--pid"), QString::number(pid)});
    search.waitForFinished(deadlineMs);
    QStringList geometries;
    for (const QByteArray& id : search.readAllStandardOutput().split('\n')) {
        if (id.trimmed().isEmpty())
            continue;
        QProcess info;
        info.setProcessEnvironment(environment);
        info.start(QStringLiteral("xwininfo"),
                   {QStringLiteral("-id"), QString::fromLatin1(id.trimmed())});
        info.waitForFinished(deadlineMs);
        const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
        const QRegularExpressionMatch geometry =
            QRegularExpression(QStringLiteral("-geometry (\\S+)")).match(text);
        if (geometry.hasMatch())
            geometries.append(geometry.captured(1));
    }
    geometries.sort();
    return geometries;
}

} // namespace

// The whole program on a real desktop: a drive unplugged and plugged back, a protected app
// launched without it, overlays on both screens, notifications through the desktop's server.
class ScenarioTest : public QObject {
    Q_OBJECT

    QByteArray log;
    QProcess program;

    bool said(const QString& line) {
        log += program.readAll();
        return log.contains(line.toUtf8() + '\n');
    }

private slots:
    void cleanup() {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(deadlineMs);
        }
    }

    void launchWithoutTheDriveThenPlugItIn() {
        const QString mountReason = TestMounts::whyMountingIsNotPossible();
        if (!mountReason.isEmpty())
            QSKIP(qPrintable(mountReason));
        X11Desktop desktop;
        if (!desktop.problem().isEmpty())
            QSKIP(qPrintable(QStringLiteral("no X11 desktop for the overlays: ") +
                             desktop.problem()));
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        QVERIFY2(bus.startMock({QStringLiteral("--session"), QStringLiteral("-t"),
                                QStringLiteral("notification_daemon")},
                               QStringLiteral("org.freedesktop.Notifications")),
                 qPrintable(bus.lastError));

        QTemporaryDir home;
        InstalledTestApp app;
        TestMounts mounts;
        const QString image = home.filePath(QStringLiteral("drive.img"));
        const QString mountPoint = home.filePath(QStringLiteral("media/") + driveLabel);
        QVERIFY2(
            mounts.mountImage(image, QStringLiteral("ext4"), driveLabel, driveUuid, mountPoint),
            qPrintable(mounts.lastError));
        {
            CapturingLogger logger;
            SettingsFileStore store(home.filePath(QStringLiteral("config/Tarnwick/Velmora.conf")),
                                    logger);
            Defaults defaults(store, logger);
            AppSettings settings;
            settings.driveCheckIntervalSeconds = 1;
            defaults.setAppSettings(settings);
            // A user past the welcome walk.
            defaults.setHasCompletedOnboarding(true);
            ProtectedDrivesManager drives(defaults, logger);
            drives.addDrive(driveLabel, mountPoint, driveUuid);
            defaults.setProtectedApps({ProtectedApp{
                QUuid::createUuid(), InstalledTestApp::mainId(), QStringLiteral("Test App"),
                QString(), true, drives.drives().first().id, QDateTime::currentDateTimeUtc()}});
        }

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(desktop.display()));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), app.dataHome());
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(VELMORA_BINARY));
        QTRY_VERIFY_WITH_TIMEOUT(
            said(QStringLiteral("[Velmora] Registered drive Velmora E2E: mounted")), deadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(
            said(QStringLiteral("[Velmora] App monitor started (polling + activation)")),
            deadlineMs);

        // Unplugged: noticed at the next poll, with a notification in the interface language.
        QElapsedTimer unplug;
        unplug.start();
        QVERIFY2(mounts.unmount(mountPoint), qPrintable(mounts.lastError));
        QTRY_VERIFY_WITH_TIMEOUT(
            said(QStringLiteral("[Velmora] Required drive disconnected: Velmora E2E")), deadlineMs);
        QTRY_COMPARE_WITH_TIMEOUT(notificationTitles(bus),
                                  QStringList{QStringLiteral("Drive Disconnected")}, deadlineMs);
        qInfo("unplug noticed and notified after %lld ms (poll interval 1 s)", unplug.elapsed());

        // Launched without it: killed within a poll, overlays on both screens.
        QProcess locked;
        QElapsedTimer launch;
        locked.start(InstalledTestApp::program());
        QVERIFY(locked.waitForStarted(deadlineMs));
        launch.start();
        QVERIFY(locked.waitForFinished(deadlineMs));
        qInfo("launch killed after %lld ms", launch.elapsed());
        QCOMPARE(locked.exitStatus(), QProcess::CrashExit);
        QCOMPARE(locked.exitCode(), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(
            said(QStringLiteral("[Velmora] Overlay shown for: Test App (drive not mounted)")),
            deadlineMs);
        const QString first =
            QStringLiteral("%1x%2+0+0").arg(X11Desktop::firstWidth).arg(X11Desktop::firstHeight);
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(desktop.display(), program.processId()).size(), 2,
                                  deadlineMs);
        QVERIFY(visibleWindows(desktop.display(), program.processId()).contains(first));

        // The same drive plugged back in (a fresh filesystem with its UUID would be a look-alike
        // without its key): the overlays lift at the next poll, with a reconnect notification.
        QVERIFY2(mounts.mountExisting(image, mountPoint), qPrintable(mounts.lastError));
        QTRY_VERIFY_WITH_TIMEOUT(
            said(QStringLiteral("[Velmora] Required drive reconnected: Velmora E2E")), deadlineMs);
        QVERIFY(said(QStringLiteral("[Velmora] Overlay dismissed (reason: driveAvailable)")));
        QTRY_VERIFY_WITH_TIMEOUT(
            said(QStringLiteral(
                "[Velmora] App not running, skipping activation: org.velmora.TestApp")),
            deadlineMs);
        QTRY_COMPARE_WITH_TIMEOUT(
            notificationTitles(bus),
            QStringList({QStringLiteral("Drive Disconnected"), QStringLiteral("Drive Connected")}),
            deadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(desktop.display(), program.processId()).isEmpty(),
                                 deadlineMs);

        // Ending the program from the session goes through the quit decision and ends it cleanly.
        program.terminate();
        QVERIFY(program.waitForFinished(deadlineMs));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    }
};

QTEST_GUILESS_MAIN(ScenarioTest)
#include "ScenarioTest.moc"
