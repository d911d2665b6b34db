#include "services/EnforcementService.h"
#include "fakes/FakeOverlayWindows.h"
#include "fakes/FakeScreens.h"
#include "support/OverlayModelGraph.h"
#include "support/OverlayServiceRig.h"

#include <QtTest>

namespace {

const QString editorID = QStringLiteral("org.example.Editor");
const QString viewerID = QStringLiteral("org.example.Viewer");

struct Windows : OverlayModelGraph {
    FakeScreens screens;
    FakeOverlayWindows overlays;
};

// The service over the real overlay service and drive monitor on fakes: drives "Vault" and
// "Other", neither plugged in, and the editor and viewer requiring the vault.
struct Rig : OverlayServiceRig<Windows> {
    EnforcementService enforcement{{scheduler, workspace, apps, driveMonitor, service}};

    Rig() {
        drives.addDrive(QStringLiteral("Vault"), QStringLiteral("/media/me/Vault"),
                        QStringLiteral("VAULT-UUID"));
        drives.addDrive(QStringLiteral("Other"), QStringLiteral("/media/me/Other"),
                        QStringLiteral("OTHER-UUID"));
        protect(editorID, QStringLiteral("Editor"));
        protect(viewerID, QStringLiteral("Viewer"));
    }

    ProtectedDrive drive(int index) const { return drives.drives().at(index); }
    ProtectedApp app(int index) const { return apps.apps().at(index); }
    void protect(const QString& bundleID, const QString& name) {
        apps.addApp(bundleID, name, QString());
        apps.setRequiredDriveID(apps.apps().last(), drive(0).id);
    }
    void plugVault() { volumes.mount(QStringLiteral("Vault"), QStringLiteral("VAULT-UUID")); }
    std::size_t openOverlays() const { return overlays.open().size(); }
    QString coveredName() const { return overlays.open().front()->content.appName; }
};

} // namespace

class EnforcementServiceTest : public QObject {
    Q_OBJECT

private slots:
    // The cover waits for the next pass of the loop, and is not raised when the drive came back
    // in between.
    void detectionCoversOnTheNextPassOnlyWhileTheDriveIsMissing() {
        Rig rig;
        rig.enforcement.handleDetection(rig.app(0));
        QCOMPARE(rig.openOverlays(), std::size_t(0));
        rig.scheduler.advance(0);
        QCOMPARE(rig.openOverlays(), std::size_t(1));

        Rig plugged;
        plugged.enforcement.handleDetection(plugged.app(0));
        plugged.plugVault();
        plugged.scheduler.advance(0);
        QCOMPARE(plugged.openOverlays(), std::size_t(0));
    }

    void mountLiftsOnlyTheCoverOfItsOwnDrive() {
        Rig rig;
        rig.enforcement.handleDriveMounted(rig.drive(0));

        rig.enforcement.handleDetection(rig.app(0));
        rig.scheduler.advance(0);
        rig.enforcement.handleDriveMounted(rig.drive(1));
        QCOMPARE(rig.openOverlays(), std::size_t(1));
        rig.enforcement.handleDriveMounted(rig.drive(0));
        QCOMPARE(rig.openOverlays(), std::size_t(0));
    }

    void unmountCoversTheFirstEnabledRunningAppOfThatDrive() {
        Rig rig;
        rig.enforcement.handleDriveUnmounted(rig.drive(0));
        QCOMPARE(rig.openOverlays(), std::size_t(0));

        rig.apps.toggleApp(rig.app(0));
        rig.workspace.launch(editorID);
        rig.workspace.launch(viewerID);
        rig.enforcement.handleDriveUnmounted(rig.drive(1));
        QCOMPARE(rig.openOverlays(), std::size_t(0));
        rig.enforcement.handleDriveUnmounted(rig.drive(0));
        QCOMPARE(rig.overlays.records.size(), std::size_t(1));
        QCOMPARE(rig.coveredName(), QStringLiteral("Viewer"));
    }

    // With a spare, the cover lifts when the spare comes, and losing one drive while the other
    // is there covers nothing.
    void aSpareDriveLiftsAndSparesTheCover() {
        Rig rig;
        rig.apps.setRequiredDriveIDs(rig.app(1), {rig.drive(0).id, rig.drive(1).id});
        rig.enforcement.handleDetection(rig.app(1));
        rig.scheduler.advance(0);
        QCOMPARE(rig.openOverlays(), std::size_t(1));
        rig.enforcement.handleDriveMounted(rig.drive(1));
        QCOMPARE(rig.openOverlays(), std::size_t(0));

        rig.apps.toggleApp(rig.app(0));
        rig.workspace.launch(viewerID);
        rig.volumes.mount(QStringLiteral("Other"), QStringLiteral("OTHER-UUID"));
        rig.enforcement.handleDriveUnmounted(rig.drive(0));
        QCOMPARE(rig.openOverlays(), std::size_t(0));
        rig.volumes.unmountAll();
        rig.enforcement.handleDriveUnmounted(rig.drive(1));
        QCOMPARE(rig.openOverlays(), std::size_t(1));
        QCOMPARE(rig.coveredName(), QStringLiteral("Viewer"));
    }

    void panicWithdrawsEveryCover() {
        Rig rig;
        rig.enforcement.handleDetection(rig.app(0));
        rig.scheduler.advance(0);
        rig.enforcement.handlePanic();
        QCOMPARE(rig.openOverlays(), std::size_t(0));
    }
};

QTEST_GUILESS_MAIN(EnforcementServiceTest)
#include "EnforcementServiceTest.moc"
