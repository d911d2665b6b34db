#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "process/LinuxWorkspace.h"
#include "qt/QtScheduler.h"
#include "services/AppMonitorService.h"
#include "services/DriveKeyVerifier.h"
#include "services/DriveMonitorService.h"
#include "services/LanguageManager.h"
#include "storage/InstallSecretFile.h"
#include "storage/LinuxDriveKeyFiles.h"
#include "storage/LinuxVolumeSource.h"
#include "support/HungFuseMount.h"
#include "support/InstalledTestApp.h"
#include "support/TestMounts.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {

constexpr int deadlineMs = 10000;
const QString uuid = QStringLiteral("7a1c3e5b-2d4f-4a6b-8c9d-0e1f2a3b4c5d");

bool wasKilled(const QProcess& process) {
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::CrashExit &&
           process.exitCode() == SIGKILL;
}

// The drive services and the launch monitor on the real system, with a volume source of the
// test's choosing; one stand-in app requires the drive.
struct Rig {
    explicit Rig(VolumeSource& volumes)
        : secret(dir.filePath(QStringLiteral("install-secret")), logger)
        , defaults(store, logger)
        , language(defaults, scheduler, logger, LanguageManager::defaultTablesDirectory(),
                   [] { return QStringList{QStringLiteral("en")}; })
        , drives(defaults, logger)
        , keys({files, secret, drives, scheduler, notifier, language, logger})
        , driveMonitor({scheduler, notifier, volumes, drives, defaults, logger, &language, &keys})
        , workspace(logger, DesktopEntryIndex::defaultDataDirs(), "no-display:0")
        , appMonitor(workspace, scheduler, defaults, drives, driveMonitor, overlay, logger) {}

    void protectTestApp(const QString& mountPoint) {
        drives.addDrive(QStringLiteral("VELKEY"), mountPoint, uuid);
        defaults.setProtectedApps({ProtectedApp{QUuid::createUuid(), InstalledTestApp::mainId(),
                                                QStringLiteral("Test App"), QString(), true,
                                                drive().id, QDateTime::currentDateTimeUtc()}});
        appMonitor.startMonitoring();
    }
    ProtectedDrive drive() const { return drives.drives().first(); }
    bool isPresent() { return driveMonitor.isDriveMounted(drive()); }
    QStringList copyWarnings() const {
        QStringList bodies;
        for (const FakeNotifier::Post& post : notifier.posts) {
            if (post.identifier.startsWith(QStringLiteral("drive-copy-")))
                bodies.append(post.body);
        }
        return bodies;
    }
    bool isRenewed() const { return drive().keyHash && !drive().previousKeyHash; }

    QTemporaryDir dir;
    CapturingLogger logger;
    MemoryStore store;
    QtScheduler scheduler;
    FakeNotifier notifier;
    LinuxDriveKeyFiles files{QStringLiteral("tester@velmora-test.key")};
    InstallSecretFile secret;
    Defaults defaults;
    LanguageManager language;
    ProtectedDrivesManager drives;
    DriveKeyVerifier keys;
    DriveMonitorService driveMonitor;
    LinuxWorkspace workspace;
    FakeOverlayState overlay;
    AppMonitorService appMonitor;
};

void verifyLaunchIsKilled() {
    QProcess app;
    app.start(InstalledTestApp::program());
    QVERIFY(app.waitForStarted(deadlineMs));
    QTRY_VERIFY_WITH_TIMEOUT(wasKilled(app), deadlineMs);
}

} // namespace

// Loop-mounted images stand in for USB keys; their copies for an attacker's clones.
class DriveKeyTest : public QObject {
    Q_OBJECT

    std::unique_ptr<InstalledTestApp> m_app;

private slots:
    void initTestCase() {
        const QString reason = TestMounts::whyMountingIsNotPossible();
        if (!reason.isEmpty())
            QSKIP(qPrintable(reason));
        m_app = std::make_unique<InstalledTestApp>();
        qputenv("XDG_DATA_HOME", m_app->dataHome().toLocal8Bit());
    }

    void theDriveItselfIsPresentAndNoCopyOfItIs_data() {
        QTest::addColumn<bool>("byteForByteCopy");
        QTest::newRow("a copy made before the last connection") << true;
        QTest::newRow("the same UUID and label, no key") << false;
    }
    void theDriveItselfIsPresentAndNoCopyOfItIs() {
        QFETCH(bool, byteForByteCopy);
        QTemporaryDir dir;
        TestMounts mounts;
        const QString image = dir.filePath(QStringLiteral("velkey.img"));
        const QString copy = dir.filePath(QStringLiteral("copy.img"));
        const QString folder = dir.filePath(QStringLiteral("media/VELKEY"));
        QVERIFY2(mounts.mountImage(image, QStringLiteral("ext4"), QStringLiteral("VELKEY"), uuid,
                                   folder),
                 qPrintable(mounts.lastError));
        LinuxVolumeSource volumes(m_logger);
        Rig rig(volumes);
        rig.protectTestApp(folder);

        // Registered: given a key at once, the file the user's only.
        QVERIFY(rig.isPresent());
        QTRY_VERIFY_WITH_TIMEOUT(rig.drive().keyHash, deadlineMs);
        const QFileInfo keyFile(folder + QStringLiteral("/.velmora/tester@velmora-test.key"));
        QVERIFY(keyFile.isFile());
        QCOMPARE(keyFile.permissions() & 0x0077, QFileDevice::Permissions{});

        QVERIFY(mounts.unmount(folder));
        rig.driveMonitor.checkNow();
        if (byteForByteCopy)
            QVERIFY(QFile::copy(image, copy));
        else
            QVERIFY(mounts.mountImage(copy, QStringLiteral("ext4"), QStringLiteral("VELKEY"), uuid,
                                      dir.filePath(QStringLiteral("scratch"))) &&
                    mounts.unmount(dir.filePath(QStringLiteral("scratch"))));
        // The real drive connects once more and its key is renewed.
        QVERIFY2(mounts.mountExisting(image, folder), qPrintable(mounts.lastError));
        rig.driveMonitor.checkNow();
        QTRY_VERIFY_WITH_TIMEOUT(rig.isPresent() && rig.isRenewed(), deadlineMs);
        QVERIFY(
            rig.logger.lines.contains(QStringLiteral("[Velmora] Drive VELKEY carries its key")));

        // Swapped for the copy before the program looks: same place, perhaps the same mount number.
        QVERIFY(mounts.unmount(folder));
        QVERIFY2(mounts.mountExisting(copy, folder), qPrintable(mounts.lastError));
        rig.driveMonitor.checkNow();
        const QStringList warning{
            QStringLiteral("This drive is not the registered VELKEY — it may be a copy")};
        QTRY_COMPARE_WITH_TIMEOUT(rig.copyWarnings(), warning, deadlineMs);
        QVERIFY(!rig.isPresent());
        verifyLaunchIsKilled();
        QCOMPARE(rig.copyWarnings(), warning);
    }

    // Two keyed drives for one app: the spare alone opens it; without either a launch is killed
    // and the one already opened is left alone.
    void aSpareDriveOpensTheApp() {
        QTemporaryDir dir;
        TestMounts mounts;
        const QString spareUuid = QStringLiteral("3b5d7f91-a2c4-4e6f-8b0d-1f3a5c7e9b2d");
        const QString main = dir.filePath(QStringLiteral("media/VELKEY"));
        const QString spare = dir.filePath(QStringLiteral("media/SPAREKEY"));
        QVERIFY2(mounts.mountImage(dir.filePath(QStringLiteral("velkey.img")),
                                   QStringLiteral("ext4"), QStringLiteral("VELKEY"), uuid, main) &&
                     mounts.mountImage(dir.filePath(QStringLiteral("spare.img")),
                                       QStringLiteral("ext4"), QStringLiteral("SPAREKEY"),
                                       spareUuid, spare),
                 qPrintable(mounts.lastError));
        LinuxVolumeSource volumes(m_logger);
        Rig rig(volumes);
        rig.protectTestApp(main);
        rig.drives.addDrive(QStringLiteral("SPAREKEY"), spare, spareUuid);
        const auto spareDrive = [&rig] { return rig.drives.drives().last(); };
        ProtectedApp app = rig.defaults.protectedApps().first();
        app.spareDriveIDs = {spareDrive().id};
        rig.defaults.setProtectedApps({app});
        QVERIFY(rig.isPresent() && rig.driveMonitor.isDriveMounted(spareDrive()));
        QTRY_VERIFY_WITH_TIMEOUT(rig.drive().keyHash && spareDrive().keyHash, deadlineMs);

        QVERIFY(mounts.unmount(main));
        rig.driveMonitor.checkNow();
        QProcess opened;
        opened.start(InstalledTestApp::program());
        QVERIFY(opened.waitForStarted(deadlineMs));
        QTRY_VERIFY_WITH_TIMEOUT(
            rig.logger.lines.filter(QStringLiteral("Protected app launched (drive available)"))
                    .size() == 1,
            deadlineMs);
        QCOMPARE(opened.state(), QProcess::Running);

        QVERIFY(mounts.unmount(spare));
        rig.driveMonitor.checkNow();
        verifyLaunchIsKilled();
        QCOMPARE(opened.state(), QProcess::Running);
        opened.kill();
        opened.waitForFinished(deadlineMs);
    }

    void aReadOnlyDriveIsKnownByItsUuid() {
        QTemporaryDir dir;
        TestMounts mounts;
        const QString image = dir.filePath(QStringLiteral("iso.img"));
        const QString folder = dir.filePath(QStringLiteral("media/VELKEY"));
        QVERIFY2(mounts.mountImage(image, QStringLiteral("ext4"), QStringLiteral("VELKEY"), uuid,
                                   folder) &&
                     mounts.unmount(folder) && mounts.mountExisting(image, folder, true),
                 qPrintable(mounts.lastError));
        LinuxVolumeSource volumes(m_logger);
        Rig rig(volumes);
        rig.protectTestApp(folder);
        QVERIFY(rig.isPresent());
        QTRY_VERIFY_WITH_TIMEOUT(rig.drive().cannotHoldKey, deadlineMs);
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/.velmora")));
        QVERIFY(rig.isPresent());
    }

    // A drive whose every access hangs: the mount check answers at once, a launch is killed as
    // fast as ever, and the missed deadline is logged once.
    void aHungDriveNeitherDelaysAKillNorCountsAsPresent() {
        HungFuseMount hung;
        if (!hung.error().isEmpty())
            QSKIP(qPrintable(hung.error()));
        FakeVolumeSource volumes;
        volumes.mount(QStringLiteral("VELKEY"), uuid, hung.path());
        Rig rig(volumes);
        rig.protectTestApp(hung.path());
        rig.drives.setKeyHashes(rig.drive().id, QStringLiteral("00"), std::nullopt);

        QElapsedTimer timer;
        timer.start();
        for (int check = 0; check < 100; ++check)
            QVERIFY(!rig.isPresent());
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        verifyLaunchIsKilled();
        const QString missed = QStringLiteral("[Velmora] Key check of drive VELKEY did not finish "
                                              "in 3 seconds; counted as not present");
        QTRY_VERIFY_WITH_TIMEOUT(rig.logger.lines.contains(missed), deadlineMs);
        verifyLaunchIsKilled();
        QCOMPARE(rig.logger.count(missed), 1);
    }

private:
    CapturingLogger m_logger;
};

QTEST_MAIN(DriveKeyTest)
#include "DriveKeyTest.moc"
