#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "services/DriveMonitorService.h"

#include <QtTest>

class MountCheckTest : public QObject {
    Q_OBJECT

    MemoryStore store;
    CapturingLogger logger;
    FakeVolumeSource volumes;
    FakeScheduler scheduler;
    FakeNotifier notifier;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<ProtectedDrivesManager> drives;
    std::unique_ptr<DriveMonitorService> monitor;

    ProtectedDrive add(const QString& name, const std::optional<QString>& uuid) {
        drives->addDrive(name, QStringLiteral("/media/me/") + name, uuid);
        return drives->drives().last();
    }

    ProtectedApp appRequiring(const std::optional<QUuid>& driveID) {
        return ProtectedApp{QUuid::createUuid(),
                            QStringLiteral("x"),
                            QStringLiteral("X"),
                            QStringLiteral("/x"),
                            true,
                            driveID,
                            QDateTime::currentDateTimeUtc()};
    }

private slots:
    void init() {
        store = MemoryStore();
        volumes = FakeVolumeSource();
        defaults = std::make_unique<Defaults>(store, logger);
        drives = std::make_unique<ProtectedDrivesManager>(*defaults, logger);
        monitor = std::make_unique<DriveMonitorService>(DriveMonitorService::Dependencies{
            scheduler, notifier, volumes, *drives, *defaults, logger});
    }

    void uuidAloneDecidesWhenRecorded() {
        const ProtectedDrive drive = add(QStringLiteral("Key"), QStringLiteral("1b4e28ba-2fa1"));
        volumes.mount(QStringLiteral("Key"), QStringLiteral("other-uuid"));
        QVERIFY(!monitor->isDriveMounted(drive));
        volumes.mount(QStringLiteral("Renamed"), QStringLiteral("1b4e28ba-2fa1"),
                      QStringLiteral("/mnt/elsewhere"));
        QVERIFY(monitor->isDriveMounted(drive));
        // Exact string equality: no case folding.
        volumes.unmountAll();
        volumes.mount(QStringLiteral("Key"), QStringLiteral("1B4E28BA-2FA1"));
        QVERIFY(!monitor->isDriveMounted(drive));
    }

    void nameDecidesWithoutUuidEvenForAnotherVolume() {
        const ProtectedDrive drive = add(QStringLiteral("Backup"), std::nullopt);
        volumes.mount(QStringLiteral("backup"));
        QVERIFY(!monitor->isDriveMounted(drive));
        volumes.mount(QStringLiteral("Backup"), QStringLiteral("some-other-disk"));
        QVERIFY(monitor->isDriveMounted(drive));
    }

    void noVolumeListMeansNotMounted() {
        const ProtectedDrive drive = add(QStringLiteral("Key"), std::nullopt);
        volumes.mount(QStringLiteral("Key"));
        volumes.available = false;
        QVERIFY(!monitor->isDriveMounted(drive));
    }

    void requiredDriveAvailability() {
        QVERIFY(monitor->isRequiredDriveAvailable(appRequiring(std::nullopt)));
        // A drive record that was removed: unavailable.
        QVERIFY(!monitor->isRequiredDriveAvailable(appRequiring(QUuid::createUuid())));

        const ProtectedDrive drive = add(QStringLiteral("Key"), QStringLiteral("U1"));
        const ProtectedApp app = appRequiring(drive.id);
        QVERIFY(!monitor->isRequiredDriveAvailable(app));
        volumes.mount(QStringLiteral("Key"), QStringLiteral("U1"));
        QVERIFY(monitor->isRequiredDriveAvailable(app));

        // Disabled: answers truthfully about the mount, but never locks anything.
        volumes.unmountAll();
        drives->toggleDrive(drive);
        QVERIFY(!monitor->isDriveMounted(drives->drives().first()));
        QVERIFY(monitor->isRequiredDriveAvailable(app));

        drives->removeDrive(drive);
        QVERIFY(!monitor->isRequiredDriveAvailable(app));
    }
};

QTEST_GUILESS_MAIN(MountCheckTest)
#include "MountCheckTest.moc"
