#include "services/DriveKeyVerifier.h"

#include "fakes/CapturingLogger.h"
#include "fakes/FakeDriveKeyFiles.h"
#include "fakes/FakeInstallSecret.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "services/DriveMonitorService.h"
#include "services/LanguageManager.h"

#include <QtTest>

namespace {

const QString uuid = QStringLiteral("5f0c2a8e-6b1d-4c3e-9a7f-1e2d3c4b5a69");
const QString path = QStringLiteral("/media/me/VELKEY");

// One program's worth of drive services on fakes; a second rig on the same store and drive is
// the program started again.
struct Rig {
    Rig(MemoryStore& store, FakeDriveKeyFiles& files)
        : defaults(store, logger)
        , language(defaults, scheduler, logger, LanguageManager::defaultTablesDirectory(),
                   [] { return QStringList{QStringLiteral("en")}; })
        , drives(defaults, logger)
        , keys({files, secret, drives, scheduler, notifier, language, logger})
        , monitor({scheduler, notifier, volumes, drives, defaults, logger, &language, &keys}) {}

    ProtectedDrive drive() const { return drives.drives().first(); }
    bool isPresent() { return monitor.isDriveMounted(drive()); }
    // Unplugged and plugged in again: the same place, a new mount.
    void replug() {
        const int next = volumes.volumes.isEmpty() ? 1 : volumes.volumes.first().mountId + 1;
        volumes.unmountAll();
        monitor.checkNow();
        volumes.mount(QStringLiteral("VELKEY"), uuid, path);
        volumes.volumes.first().mountId = next;
        volumes.volumes.first().hardware = hardware;
        monitor.checkNow();
    }
    int copyWarnings() const {
        return int(
            std::count_if(notifier.posts.begin(), notifier.posts.end(), [](const auto& post) {
                return post.identifier.startsWith(QStringLiteral("drive-copy-"));
            }));
    }

    // What the next plugged-in drive says of itself.
    HardwareIdentity hardware;
    CapturingLogger logger;
    FakeScheduler scheduler;
    FakeNotifier notifier;
    FakeVolumeSource volumes;
    FakeInstallSecret secret;
    Defaults defaults;
    LanguageManager language;
    ProtectedDrivesManager drives;
    DriveKeyVerifier keys;
    DriveMonitorService monitor;
};

} // namespace

class DriveKeyVerifierTest : public QObject {
    Q_OBJECT

    // A drive registered, then given its key at the first sight of it.
    static void registerAndEnrol(Rig& rig, FakeDriveKeyFiles& files) {
        rig.drives.addDrive(QStringLiteral("VELKEY"), path, uuid);
        rig.replug();
        QVERIFY(rig.isPresent());
        files.answer();
        QVERIFY(rig.drive().keyHash);
        QCOMPARE(*rig.drive().keyHash, rig.keys.keyHash(files.secrets.value(path)));
    }

private slots:
    void theRegisteredDriveIsPresentAndItsKeyChangesAtEveryConnection() {
        MemoryStore store;
        FakeDriveKeyFiles files;
        Rig rig(store, files);
        registerAndEnrol(rig, files);

        for (int connection = 0; connection < 3; ++connection) {
            const QByteArray before = files.secrets.value(path);
            rig.replug();
            QVERIFY(!rig.isPresent()); // until the drive answered
            files.answer();
            QVERIFY(rig.isPresent());
            QVERIFY(files.secrets.value(path) != before);
            QCOMPARE(*rig.drive().keyHash, rig.keys.keyHash(files.secrets.value(path)));
            QCOMPARE(rig.drive().previousKeyHash, std::nullopt);
        }
        QCOMPARE(rig.copyWarnings(), 0);
    }

    void aCopyOrAStrangerWithTheUuidIsNotTheDrive_data() {
        QTest::addColumn<bool>("copyHasKey");
        QTest::newRow("a copy made before the last connection") << true;
        QTest::newRow("the same UUID and label, no key") << false;
    }
    void aCopyOrAStrangerWithTheUuidIsNotTheDrive() {
        QFETCH(bool, copyHasKey);
        MemoryStore store;
        FakeDriveKeyFiles files;
        Rig rig(store, files);
        registerAndEnrol(rig, files);
        const QByteArray copied = files.secrets.value(path);
        rig.replug();
        files.answer();
        QVERIFY(rig.isPresent());

        files.secrets.remove(path);
        if (copyHasKey)
            files.secrets.insert(path, copied);
        rig.replug();
        files.answer();
        QVERIFY(!rig.isPresent());
        rig.scheduler.advance(60);
        QVERIFY(!rig.isPresent());
        QCOMPARE(rig.copyWarnings(), 1);
        QCOMPARE(rig.notifier.posts.last().body,
                 QStringLiteral("This drive is not the registered VELKEY — it may be a copy"));
        QCOMPARE(rig.logger.lines
                     .filter(QStringLiteral(
                         "[Velmora] Drive at /media/me/VELKEY is not the registered VELKEY"))
                     .size(),
                 1);
    }

    // Whichever secret a crash leaves on the drive, the program started again accepts it.
    void aRenewalCutShortByACrashStillFindsTheDrive_data() {
        QTest::addColumn<bool>("writeLanded");
        QTest::newRow("killed after writing, before recording") << true;
        QTest::newRow("killed after recording, before writing") << false;
    }
    void aRenewalCutShortByACrashStillFindsTheDrive() {
        QFETCH(bool, writeLanded);
        MemoryStore store;
        FakeDriveKeyFiles files;
        {
            Rig rig(store, files);
            registerAndEnrol(rig, files);
            rig.replug();
            QVERIFY(!rig.isPresent());
            files.answer(1); // the read; the renewal's write is now asked
            QVERIFY(rig.drive().previousKeyHash);
            if (writeLanded)
                files.carryOutUnanswered();
        }
        Rig restarted(store, files);
        restarted.replug();
        QVERIFY(!restarted.isPresent());
        files.answer();
        QVERIFY(restarted.isPresent());
        QCOMPARE(*restarted.drive().keyHash, restarted.keys.keyHash(files.secrets.value(path)));
        QCOMPARE(restarted.drive().previousKeyHash, std::nullopt);
    }

    // A drive that never answers: the mount check answers at once (no), the poll goes on, and
    // the missed deadline is logged once.
    void aHungDriveCountsAsAbsentWithoutHoldingAnythingUp() {
        MemoryStore store;
        FakeDriveKeyFiles files;
        Rig rig(store, files);
        registerAndEnrol(rig, files);
        files.hung.insert(path);
        rig.replug();
        rig.monitor.startPolling();
        QVERIFY(!rig.isPresent());
        rig.scheduler.advance(30);
        QVERIFY(!rig.isPresent());
        QCOMPARE(files.reads, 1);
        QCOMPARE(rig.logger.count(QStringLiteral("[Velmora] Key check of drive VELKEY did not "
                                                 "finish in 3 seconds; counted as not present")),
                 1);
    }

    // The hardware seen when the drive was first accepted is kept; a different one is logged and
    // decides nothing for a drive with a key, but refuses a read-only one.
    void hardwareIsRecordedAndAMismatchIsNotTrusted_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("a drive with a key") << false;
        QTest::newRow("a read-only drive") << true;
    }
    void hardwareIsRecordedAndAMismatchIsNotTrusted() {
        QFETCH(bool, readOnly);
        MemoryStore store;
        FakeDriveKeyFiles files;
        if (readOnly)
            files.readOnly.insert(path);
        Rig rig(store, files);
        const HardwareIdentity stick{"SanDisk", "Cruzer", "4C530001", "0x5000c500a1b2c3d4"};
        rig.drives.addDrive(QStringLiteral("VELKEY"), path, uuid);
        rig.hardware = stick;
        rig.replug();
        files.answer();
        QCOMPARE(rig.drive().hardware, stick);

        rig.hardware = HardwareIdentity{"SanDisk", "Cruzer", "FFFF0002", ""};
        rig.replug();
        files.answer();
        QCOMPARE(rig.isPresent(), !readOnly);
        QCOMPARE(rig.drive().hardware, stick);
        QCOMPARE(rig.logger.lines
                     .filter(QStringLiteral("[Velmora] Drive at /media/me/VELKEY describes itself "
                                            "as \"SanDisk Cruzer · S/N FFFF0002\", not as the "
                                            "registered VELKEY (\"SanDisk Cruzer · S/N 4C530001 · "
                                            "WWN 0x5000c500a1b2c3d4\"); not trusted"))
                     .size(),
                 1);
    }

    void aReadOnlyDriveIsKnownByItsUuid() {
        MemoryStore store;
        FakeDriveKeyFiles files;
        files.readOnly.insert(path);
        Rig rig(store, files);
        rig.drives.addDrive(QStringLiteral("VELKEY"), path, uuid);
        rig.replug();
        QVERIFY(rig.isPresent());
        files.answer();
        QVERIFY(rig.drive().cannotHoldKey);
        QCOMPARE(rig.drive().keyHash, std::nullopt);
        rig.replug();
        QVERIFY(rig.isPresent());
        QCOMPARE(files.reads, 0);
    }
};

QTEST_GUILESS_MAIN(DriveKeyVerifierTest)
#include "DriveKeyVerifierTest.moc"
