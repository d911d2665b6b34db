#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeScheduler.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "pickers/DrivePickerViewModel.h"
#include "services/DriveMonitorService.h"
#include "settings/DriveSettingsViewModel.h"
#include "storage/LinuxVolumeSource.h"
#include "support/GuardRig.h"
#include "support/TestMounts.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString blkidUuid(const QString& image) {
    QProcess blkid;
    blkid.start(QStringLiteral("/sbin/blkid"),
                {QStringLiteral("-p"), QStringLiteral("-s"), QStringLiteral("UUID"),
                 QStringLiteral("-o"), QStringLiteral("value"), image});
    blkid.waitForFinished(30000);
    return QString::fromUtf8(blkid.readAllStandardOutput()).trimmed();
}

} // namespace

// A labelled disk image on a loop device stands in for a USB key, through the real volume source.
class DriveRegistrationTest : public QObject {
    Q_OBJECT

private slots:
    void registeredImageTurnsRedAtTheNextPoll() {
        const QString reason = TestMounts::whyMountingIsNotPossible();
        if (!reason.isEmpty())
            QSKIP(qPrintable(reason));
        QTemporaryDir dir;
        TestMounts mounts;
        const QString image = dir.filePath(QStringLiteral("stick.img"));
        const QString folder = dir.filePath(QStringLiteral("media/Velmora Stick"));
        QVERIFY2(mounts.mountImage(image, QStringLiteral("ext4"), QStringLiteral("Velmora Stick"),
                                   QStringLiteral("5f0c2a8e-6b1d-4c3e-9a7f-1e2d3c4b5a69"), folder),
                 qPrintable(mounts.lastError));

        CapturingLogger logger;
        MemoryStore store;
        FakeScheduler scheduler;
        FakeNotifier notifier;
        LinuxVolumeSource volumes(logger);
        Defaults defaults(store, logger);
        ProtectedDrivesManager drives(defaults, logger);
        DriveMonitorService monitor({scheduler, notifier, volumes, drives, defaults, logger});
        DrivePickerViewModel picker(volumes, drives);
        GuardRig owner(defaults, scheduler, logger);
        DriveSettingsViewModel tab({drives, owner.guard, monitor, {}});

        picker.scanVolumes();
        std::optional<MountedVolumeInfo> listed;
        for (const MountedVolumeInfo& volume : picker.mountedVolumes()) {
            if (volume.path == folder)
                listed = volume;
        }
        QVERIFY2(listed, "the mounted image is not among the external volumes");
        QCOMPARE(listed->name, QStringLiteral("Velmora Stick"));
        QCOMPARE(listed->uuid, blkidUuid(image));

        picker.registerVolume(listed->id.toString());
        QCOMPARE(drives.drives().size(), 1);
        QCOMPARE(drives.drives().first().volumeUUIDString, blkidUuid(image));

        tab.viewAppeared();
        monitor.startPolling();
        const auto isMounted = [&] {
            return tab.rows().first().toMap().value("isMounted").toBool();
        };
        QVERIFY(isMounted());
        QVERIFY(mounts.unmount(folder));
        QVERIFY(isMounted()); // until the next poll
        scheduler.advance(defaults.appSettings().driveCheckIntervalSeconds);
        QVERIFY(!isMounted());
    }
};

QTEST_GUILESS_MAIN(DriveRegistrationTest)
#include "DriveRegistrationTest.moc"
