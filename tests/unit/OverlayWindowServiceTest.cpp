#include "services/OverlayWindowService.h"
#include "fakes/FakeKeyMonitor.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/FakeOverlayWindows.h"
#include "fakes/FakeScreens.h"
#include "fakes/FakeSelfActivation.h"
#include "fakes/FakeWorkspace.h"
#include "services/AppMonitorService.h"
#include "support/DriveMonitorRig.h"

#include <QtTest>

namespace {

const QString editorID = QStringLiteral("org.example.Editor");

struct Fixture : DriveMonitorRig<> {
    FakeWorkspace workspace;
    FakeOverlayState noOverlay;
    AppMonitorService appMonitor{workspace,    scheduler, defaults, drives,
                                 driveMonitor, noOverlay, logger};
    FakeScreens screens;
    FakeOverlayWindows windows;
    FakeKeyMonitor keys;
    FakeSelfActivation selfActivation;
    OverlayWindowService overlays{
        {scheduler, screens, windows, keys, selfActivation, workspace, defaults, logger},
        appMonitor};
    QStringList unlocked;

    Fixture() {
        drives.addDrive(QStringLiteral("Vault"), QStringLiteral("/media/me/Vault"), std::nullopt);
        defaults.setProtectedApps({editor()});
        overlays.onUnlocked = [this](const QString& name, const QString& cause) {
            unlocked.append(name + QLatin1Char('/') + cause);
        };
        logger.lines.clear();
    }

    ProtectedApp editor() const {
        static const QUuid id = QUuid::createUuid();
        return ProtectedApp{id,
                            editorID,
                            QStringLiteral("Editor"),
                            QString(),
                            true,
                            drives.drives().first().id,
                            QDateTime::currentDateTimeUtc()};
    }

    void preventQuit() {
        AppSettings settings;
        settings.preventQuitWhenLocked = true;
        defaults.setAppSettings(settings);
    }

    // Reports the running editor through an activation, so it is pending in the app monitor.
    void reportEditor() {
        appMonitor.startMonitoring();
        workspace.bringToFront(workspace.launch(editorID));
        QVERIFY(appMonitor.pendingLockBundleIDs().contains(editorID));
        logger.lines.clear();
    }
};

} // namespace

class OverlayWindowServiceTest : public QObject {
    Q_OBJECT

private slots:
    void showCoversEveryScreenAndASecondShowLeavesNoTrace() {
        Fixture f;
        f.screens.list = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        f.overlays.showDriveRequired(f.editor());
        QVERIFY(f.overlays.isShowing());
        QCOMPARE(f.windows.records.size(), std::size_t(2));
        QCOMPARE(f.windows.records[1]->geometry, QRect(1920, 0, 1280, 1024));
        QCOMPARE(f.windows.records[0]->content.appName, QStringLiteral("Editor"));
        QCOMPARE(f.windows.records[0]->content.bundleIdentifier, editorID);
        QCOMPARE(f.logger.lines, QStringList{QStringLiteral(
                                     "[Velmora] Overlay shown for: Editor (drive not mounted)")});
        QCOMPARE(f.selfActivation.activations, 0);
        QCOMPARE(f.keys.installedCount(), std::size_t(0));

        ProtectedApp other = f.editor();
        other.name = QStringLiteral("Other");
        const std::size_t timers = f.scheduler.pendingCount();
        f.overlays.showDriveRequired(other);
        QCOMPARE(f.windows.records.size(), std::size_t(2));
        QCOMPARE(f.logger.lines.size(), 1);
        QCOMPARE(f.overlays.currentApp()->name, QStringLiteral("Editor"));
        QCOMPARE(f.scheduler.pendingCount(), timers);
    }

    void timeOutCancelsAfterSixtySecondsAndKeepsThePendingMark() {
        Fixture f;
        f.reportEditor();
        f.overlays.showDriveRequired(f.editor());
        f.scheduler.advance(59.9);
        QVERIFY(f.overlays.isShowing());
        f.scheduler.advance(0.1);
        QVERIFY(!f.overlays.isShowing());
        QVERIFY(!f.overlays.currentApp());
        QVERIFY(f.windows.open().empty());
        QVERIFY(f.logger.lines.contains(
            QStringLiteral("[Velmora Safety] Overlay timeout reached (60s) — auto-dismissing")));
        QCOMPARE(f.logger.lines.last(),
                 QStringLiteral("[Velmora] Overlay dismissed (reason: cancelled)"));
        QVERIFY(f.appMonitor.pendingLockBundleIDs().contains(editorID));
        QVERIFY(f.workspace.activated.isEmpty());
        QVERIFY(f.workspace.terminated.isEmpty());
    }

    void driveAvailableUnlocksThenActivatesTheAppLater() {
        Fixture f;
        f.reportEditor();
        f.overlays.showDriveRequired(f.editor());
        f.overlays.hide(OverlayDismissReason::driveAvailable);
        QCOMPARE(f.unlocked, QStringList{QStringLiteral("Editor/drive")});
        QVERIFY(f.workspace.activated.isEmpty());
        f.scheduler.advance(0.14);
        QVERIFY(f.workspace.activated.isEmpty());
        f.scheduler.advance(0.01);
        QCOMPARE(f.workspace.activated.size(), 1);
        QCOMPARE(f.logger.lines.last(),
                 QStringLiteral("[Velmora] Activated app: org.example.Editor"));
        // The time-out went with the overlay.
        f.scheduler.advance(120);
        QCOMPARE(
            f.logger.count(QStringLiteral("[Velmora] Overlay dismissed (reason: driveAvailable)")),
            1);
    }

    void driveAvailableForAnAppThatQuitOnlyLogs() {
        Fixture f;
        f.overlays.showDriveRequired(f.editor());
        f.overlays.hide(OverlayDismissReason::driveAvailable);
        f.scheduler.advance(1);
        QCOMPARE(
            f.logger.lines.last(),
            QStringLiteral("[Velmora] App not running, skipping activation: org.example.Editor"));
        QVERIFY(f.workspace.activated.isEmpty());
    }

    void forceQuitClearsThePendingMark() {
        Fixture f;
        f.reportEditor();
        f.overlays.showDriveRequired(f.editor());
        f.windows.records[0]->content.onDismiss(OverlayDismissReason::forceQuit);
        QVERIFY(!f.overlays.isShowing());
        QVERIFY(!f.appMonitor.pendingLockBundleIDs().contains(editorID));
        QCOMPARE(f.logger.lines.last(),
                 QStringLiteral("[Velmora] Overlay dismissed (reason: forceQuit)"));
    }

    void hidingWithNothingShown() {
        Fixture f;
        f.overlays.hide(OverlayDismissReason::driveAvailable);
        f.scheduler.advance(1);
        QVERIFY(f.logger.lines.isEmpty());
        QVERIFY(f.unlocked.isEmpty());
        f.overlays.hide(OverlayDismissReason::cancelled);
        QCOMPARE(f.logger.lines,
                 QStringList{QStringLiteral("[Velmora] Overlay dismissed (reason: cancelled)")});
    }

    void noScreensAtShowTimeStillOpensTheEpisode() {
        Fixture f;
        f.screens.list.clear();
        f.preventQuit();
        f.overlays.showDriveRequired(f.editor());
        QVERIFY(!f.overlays.isShowing());
        QVERIFY(f.overlays.currentApp());
        QCOMPARE(f.keys.installedCount(), std::size_t(1));
        QVERIFY(f.logger.lines.contains(
            QStringLiteral("[Velmora] Overlay shown for: Editor (drive not mounted)")));
        f.scheduler.advance(60);
        QVERIFY(!f.overlays.currentApp());
        QCOMPARE(f.keys.installedCount(), std::size_t(0));
    }

    void screensAddedAndRemovedWhileCovering() {
        Fixture f;
        f.screens.list = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        f.overlays.showDriveRequired(f.editor());
        f.screens.change(
            {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024), QRect(-1024, 0, 1024, 768)});
        QCOMPARE(f.overlays.windowCount(), std::size_t(3));
        QCOMPARE(f.windows.records[2]->geometry, QRect(-1024, 0, 1024, 768));
        QCOMPARE(f.windows.records[2]->content.appName, QStringLiteral("Editor"));
        QCOMPARE(f.logger.lines.last(),
                 QStringLiteral("[Velmora] Overlays repositioned for screen change (3 screens)"));

        // The first screen goes away: matched by position, the last window closes.
        f.screens.change({QRect(1920, 0, 1280, 1024)});
        QCOMPARE(f.overlays.windowCount(), std::size_t(1));
        QCOMPARE(f.windows.open().size(), std::size_t(1));
        QCOMPARE(f.windows.records[0]->geometry, QRect(1920, 0, 1280, 1024));
        QVERIFY(f.windows.records[1]->closed && f.windows.records[2]->closed);

        f.overlays.hide(OverlayDismissReason::cancelled);
        f.logger.lines.clear();
        f.screens.change({QRect(0, 0, 800, 600)});
        QVERIFY(f.logger.lines.isEmpty());
        QVERIFY(f.windows.open().empty());
    }

    void quitShortcutsAreSwallowedOnlyWhileLockedAndOnlyWhenAsked() {
        Fixture f;
        f.overlays.showDriveRequired(f.editor());
        QVERIFY(!f.keys.press(Qt::Key_Q, Qt::ControlModifier));
        f.overlays.hide(OverlayDismissReason::cancelled);

        f.preventQuit();
        f.logger.lines.clear();
        f.overlays.showDriveRequired(f.editor());
        QCOMPARE(f.selfActivation.activations, 1);
        QCOMPARE(f.logger.lines.first(),
                 QStringLiteral("[Velmora] Local event intercept installed"));
        QVERIFY(f.keys.press(Qt::Key_Q, Qt::ControlModifier));
        QVERIFY(f.keys.press(Qt::Key_W, Qt::ControlModifier));
        QVERIFY(f.keys.press(Qt::Key_H, Qt::ControlModifier | Qt::AltModifier));
        QVERIFY(f.keys.press(Qt::Key_M, Qt::ControlModifier | Qt::MetaModifier));
        QVERIFY(f.keys.press(Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier));
        QVERIFY(!f.keys.press(Qt::Key_Q));
        QVERIFY(!f.keys.press(Qt::Key_E, Qt::ControlModifier));
        QCOMPARE(
            f.logger.count(QStringLiteral("[Velmora] Swallowed shortcut keyCode=12 while locked")),
            2);
        QCOMPARE(
            f.logger.count(QStringLiteral("[Velmora] Swallowed shortcut keyCode=13 while locked")),
            1);
        QCOMPARE(
            f.logger.count(QStringLiteral("[Velmora] Swallowed shortcut keyCode=4 while locked")),
            1);
        QCOMPARE(
            f.logger.count(QStringLiteral("[Velmora] Swallowed shortcut keyCode=46 while locked")),
            1);

        f.overlays.hide(OverlayDismissReason::cancelled);
        QVERIFY(f.logger.lines.contains(QStringLiteral("[Velmora] Local event intercept removed")));
        QVERIFY(!f.keys.press(Qt::Key_Q, Qt::ControlModifier));
    }
};

QTEST_GUILESS_MAIN(OverlayWindowServiceTest)
#include "OverlayWindowServiceTest.moc"
