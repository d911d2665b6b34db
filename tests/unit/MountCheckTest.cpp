#include "support/DriveMonitorRig.h"

#include <QtTest>

class MountCheckTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DriveMonitorRig<>> rig;

    ProtectedDrive add(const QString& name, const std::optional<QString>& uuid) {
        rig->drives.addDrive(name, QStringLiteral("/media/me/") + name, uuid);
        return rig->drives.drives().last();
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
    void init() { rig = std::make_unique<DriveMonitorRig<>>(); }

    void uuidAloneDecidesWhenRecorded() {
        const ProtectedDrive drive = add(QStringLiteral("Key"), QStringLiteral("1b4e28ba-2fa1"));
        rig->volumes.mount(QStringLiteral("Key"), QStringLiteral("other-uuid"));
        QVERIFY(!rig->driveMonitor.isDriveMounted(drive));
        rig->volumes.mount(QStringLiteral("Renamed"), QStringLiteral("1b4e28ba-2fa1"),
                           QStringLiteral("/mnt/elsewhere"));
        QVERIFY(rig->driveMonitor.isDriveMounted(drive));
        // Exact string equality: no case folding.
        rig->volumes.unmountAll();
        rig->volumes.mount(QStringLiteral("Key"), QStringLiteral("1B4E28BA-2FA1"));
        QVERIFY(!rig->driveMonitor.isDriveMounted(drive));
    }

    void nameDecidesWithoutUuidEvenForAnotherVolume() {
        const ProtectedDrive drive = add(QStringLiteral("Backup"), std::nullopt);
        rig->volumes.mount(QStringLiteral("backup"));
        QVERIFY(!rig->driveMonitor.isDriveMounted(drive));
        rig->volumes.mount(QStringLiteral("Backup"), QStringLiteral("some-other-disk"));
        QVERIFY(rig->driveMonitor.isDriveMounted(drive));
    }

    void noVolumeListMeansNotMounted() {
        const ProtectedDrive drive = add(QStringLiteral("Key"), std::nullopt);
        rig->volumes.mount(QStringLiteral("Key"));
        rig->volumes.available = false;
        QVERIFY(!rig->driveMonitor.isDriveMounted(drive));
    }

    void requiredDriveAvailability() {
        QVERIFY(rig->driveMonitor.isRequiredDriveAvailable(appRequiring(std::nullopt)));
        // A drive record that was removed: unavailable.
        QVERIFY(!rig->driveMonitor.isRequiredDriveAvailable(appRequiring(QUuid::createUuid())));

        const ProtectedDrive drive = add(QStringLiteral("Key"), QStringLiteral("U1"));
        const ProtectedApp app = appRequiring(drive.id);
        QVERIFY(!rig->driveMonitor.isRequiredDriveAvailable(app));
        rig->volumes.mount(QStringLiteral("Key"), QStringLiteral("U1"));
        QVERIFY(rig->driveMonitor.isRequiredDriveAvailable(app));

        // Disabled: answers truthfully about the mount, but never locks anything.
        rig->volumes.unmountAll();
        rig->drives.toggleDrive(drive);
        QVERIFY(!rig->driveMonitor.isDriveMounted(rig->drives.drives().first()));
        QVERIFY(rig->driveMonitor.isRequiredDriveAvailable(app));

        rig->drives.removeDrive(drive);
        QVERIFY(!rig->driveMonitor.isRequiredDriveAvailable(app));
    }
};

QTEST_GUILESS_MAIN(MountCheckTest)
#include "MountCheckTest.moc"
