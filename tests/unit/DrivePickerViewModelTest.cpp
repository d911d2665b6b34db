#include "pickers/DrivePickerViewModel.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"

#include <QSignalSpy>
#include <QtTest>

class DrivePickerViewModelTest : public QObject {
    Q_OBJECT

    MemoryStore store;
    CapturingLogger logger;
    FakeVolumeSource volumes;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<ProtectedDrivesManager> drives;
    std::unique_ptr<DrivePickerViewModel> model;

    QString idOf(const QString& path) const {
        for (const MountedVolumeInfo& each : model->mountedVolumes()) {
            if (each.path == path)
                return each.id.toString();
        }
        return {};
    }

private slots:
    void init() {
        store = MemoryStore();
        volumes = FakeVolumeSource();
        defaults = std::make_unique<Defaults>(store, logger);
        drives = std::make_unique<ProtectedDrivesManager>(*defaults, logger);
        model = std::make_unique<DrivePickerViewModel>(volumes, *drives);
    }

    // Removable or not internal is external; the names fall back in order; no UUID stays absent.
    void scanListsExternalVolumesInOrder() {
        volumes.volumes = {
            MountedVolume{"/media/me/STICK", "STICK", "Stick", true, true, "AAAA-1111"},
            MountedVolume{"/", "root", "root", false, true, "0e8d3f5c"},
            MountedVolume{"/media/me/Backup", "Backup", "", false, false, "1b4e28ba"},
            MountedVolume{"/media/me/Nameless", "", "", false, false, ""},
            MountedVolume{"/mnt/Data", "Data", "Data", false, true, ""},
        };
        model->scanVolumes();
        const QList<MountedVolumeInfo>& found = model->mountedVolumes();
        QCOMPARE(found.size(), 3);
        QCOMPARE(found.at(0).name, QStringLiteral("Stick"));
        QCOMPARE(found.at(0).uuid, QStringLiteral("AAAA-1111"));
        QVERIFY(found.at(0).isRemovable);
        QCOMPARE(found.at(1).name, QStringLiteral("Backup"));
        QVERIFY(!found.at(1).isRemovable);
        QCOMPARE(found.at(2).name, QStringLiteral("Nameless"));
        QCOMPARE(found.at(2).path, QStringLiteral("/media/me/Nameless"));
        QCOMPARE(found.at(2).uuid, std::nullopt);
        const QVariantList shown = model->volumes();
        QCOMPARE(shown.at(0).toMap().value("symbol").toString(), QStringLiteral("externaldrive"));
        QCOMPARE(shown.at(1).toMap().value("symbol").toString(), QStringLiteral("internaldrive"));

        // A system without a list keeps the last scan.
        volumes.available = false;
        QSignalSpy changed(model.get(), &DrivePickerViewModel::volumesChanged);
        model->scanVolumes();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(model->mountedVolumes().size(), 3);
    }

    // A click registers the volume as listed and closes the picker, also when refused.
    void clickRegistersAndCloses() {
        volumes.volumes = {MountedVolume{"/media/me/KEY", "KEY", "KEY", true, false, "AAAA-1111"},
                           MountedVolume{"/media/me/Plain", "Plain", "Plain", true, false, ""}};
        model->scanVolumes();
        QSignalSpy dismissed(model.get(), &DrivePickerViewModel::dismissRequested);

        model->registerVolume(idOf("/media/me/KEY"));
        model->registerVolume(idOf("/media/me/Plain"));
        model->registerVolume(idOf("/media/me/KEY"));
        QCOMPARE(dismissed.count(), 3);
        QCOMPARE(drives->drives().size(), 2);
        QCOMPARE(drives->drives().at(0).name, QStringLiteral("KEY"));
        QCOMPARE(drives->drives().at(0).mountPoint, QStringLiteral("/media/me/KEY"));
        QCOMPARE(drives->drives().at(0).volumeUUIDString, QStringLiteral("AAAA-1111"));
        QCOMPARE(drives->drives().at(1).volumeUUIDString, std::nullopt);
        QCOMPARE(defaults->protectedDrives(), drives->drives());

        // A stale identity (from before a refresh) does nothing.
        model->registerVolume(QUuid::createUuid().toString());
        QCOMPARE(dismissed.count(), 3);
    }
};

QTEST_GUILESS_MAIN(DrivePickerViewModelTest)
#include "DrivePickerViewModelTest.moc"
