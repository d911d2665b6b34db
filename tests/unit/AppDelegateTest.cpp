#include "app/AppDelegate.h"
#include "onboarding/OnboardingViewModel.h"
#include "support/FakePorts.h"

#include <QtTest>

namespace {

const QString editorID = QStringLiteral("org.example.Editor");
const QString viewerID = QStringLiteral("org.example.Viewer");

// The whole program on fakes: one drive "Vault" (UUID VAULT-UUID) and whatever apps a test
// protects.
struct Program {
    FakePorts fakes;
    std::unique_ptr<AppDelegate> delegate;
    int terminations = 0;

    Program() {
        delegate = std::make_unique<AppDelegate>(fakes.ports());
        delegate->terminateApplication = [this] { ++terminations; };
        delegate->drives().addDrive(QStringLiteral("Vault"), QStringLiteral("/media/me/Vault"),
                                    QStringLiteral("VAULT-UUID"));
    }

    ProtectedDrive vault() const { return delegate->drives().drives().first(); }
    void protect(const QString& bundleID, const QString& name, std::optional<QUuid> driveID) {
        delegate->apps().addApp(bundleID, name, QString());
        delegate->apps().setRequiredDriveID(delegate->apps().apps().last(), driveID);
    }
    void plugVault() { fakes.volumes.mount(QStringLiteral("Vault"), QStringLiteral("VAULT-UUID")); }
    void start() {
        delegate->applicationDidFinishLaunching();
        fakes.logger.lines.clear();
        // The welcome walk of a first start brings the program forward once.
        fakes.selfActivation.activations = 0;
    }
    MenuBarController::IconState icon() const { return delegate->menuBar().iconState(); }
    std::size_t openOverlays() const { return fakes.overlayWindows.open().size(); }
};

} // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

private slots:
    void secondCopyQuitsAtOnceTouchingNothing() {
        Program program;
        program.fakes.workspace.applications.append({4242, AppDelegate::ownIdentifier});
        program.fakes.workspace.applications.append(
            {program.fakes.workspace.ownProcessIdentifier(), AppDelegate::ownIdentifier});
        AppSettings settings;
        settings.requirePasswordToQuit = true;
        program.delegate->defaults().setAppSettings(settings);
        program.fakes.logger.lines.clear();

        program.delegate->applicationDidFinishLaunching();
        QCOMPARE(program.terminations, 1);
        QVERIFY(program.fakes.auth.reasons.isEmpty());
        QVERIFY(program.delegate->quitProtection().bypassQuitPassword());
        QVERIFY(!program.delegate->menuBar().isSetUp());
        QCOMPARE(program.fakes.notifier.permissionRequests, 0);
        QVERIFY(program.fakes.hotKeys.registrations.empty());
        QCOMPARE(program.fakes.scheduler.pendingCount(), std::size_t(0));
        // It brings the running copy forward first, and says so.
        QCOMPARE(program.fakes.applicationBus.activationRequests, 1);
        QVERIFY(!program.fakes.applicationBus.onActivate);
        QCOMPARE(program.fakes.logger.lines,
                 QStringList{QStringLiteral("[Velmora] Velmora is already running; bringing the "
                                            "running copy forward and quitting")});
    }

    void startUpRunsEveryStep() {
        Program program;
        program.fakes.workspace.applications.append(
            {program.fakes.workspace.ownProcessIdentifier(), AppDelegate::ownIdentifier});
        program.fakes.logger.lines.clear();
        program.delegate->applicationDidFinishLaunching();
        QCOMPARE(program.terminations, 0);
        QCOMPARE(
            program.fakes.logger.lines,
            QStringList({QStringLiteral("[Velmora] Registered drive Vault: not mounted"),
                         QStringLiteral("[Velmora] Drive polling started (every 5 seconds)"),
                         QStringLiteral("[Velmora] App monitor started (polling + activation)"),
                         QStringLiteral(
                             "[Velmora] Exec gate active: 0 apps refused without their drive")}));
        QCOMPARE(program.icon(), MenuBarController::IconState::active);
        QCOMPARE(program.fakes.notifier.permissionRequests, 1);
        QCOMPARE(program.fakes.hotKeys.registrations.size(), std::size_t(1));
        QCOMPARE(program.fakes.hotKeys.registrations.begin()->second.keyCode, 32u);
        QCOMPARE(program.fakes.hotKeys.registrations.begin()->second.modifiers, 0x1B00u);
    }

    // A protected app launched without its drive is killed and covered; the drive coming back
    // lifts the overlay.
    void oneEventFromEndToEnd() {
        Program program;
        program.protect(editorID, QStringLiteral("Editor"), program.vault().id);
        program.start();

        const RunningApplication editor = program.fakes.workspace.launch(editorID);
        // The kill comes first; the card follows on the next pass of the loop.
        std::size_t overlaysAtKill = 99;
        program.fakes.workspace.onForceTerminate = [&] { overlaysAtKill = program.openOverlays(); };
        program.fakes.scheduler.advance(0.2);
        QCOMPARE(overlaysAtKill, std::size_t(0));
        QCOMPARE(program.fakes.workspace.forceTerminated, QList<RunningApplication>{editor});
        QCOMPARE(program.openOverlays(), std::size_t(1));
        QCOMPARE(program.icon(), MenuBarController::IconState::locked);
        program.fakes.workspace.deliverTerminations();
        program.fakes.scheduler.advance(4.8); // the first drive poll records the drive as missing
        QCOMPARE(program.fakes.notifier.posts.size(), 1);

        // A mount change is checked at once, not at the next poll.
        program.plugVault();
        program.fakes.mountChanges.change();
        QCOMPARE(program.openOverlays(), std::size_t(0));
        QCOMPARE(program.icon(), MenuBarController::IconState::active);
        QCOMPARE(program.fakes.notifier.posts.last().title, QStringLiteral("Drive Connected"));
        program.fakes.scheduler.advance(0.15);
        QVERIFY(program.fakes.logger.lines.contains(
            QStringLiteral("[Velmora] App not running, skipping activation: org.example.Editor")));
    }

    // One record whose drive is no UUID must not switch protection off for the others.
    void oneDamagedRecordLeavesTheOthersEnforcedAndIsNotifiedOnce() {
        Program program;
        const QString vault = program.vault().id.toString(QUuid::WithoutBraces).toUpper();
        const QString record = QStringLiteral(
            R"({"id":"%1","bundleIdentifier":"%2","name":"%2","path":"/p","isEnabled":true,)"
            R"("requiredDriveID":"%3","dateAdded":1})");
        program.fakes.store.values.insert(
            QStringLiteral("protectedApps"),
            QStringLiteral("[%1,%2,%3]")
                .arg(
                    record.arg(QUuid::createUuid().toString(QUuid::WithoutBraces), editorID, vault),
                    record.arg(QUuid::createUuid().toString(QUuid::WithoutBraces),
                               QStringLiteral("org.example.Broken"), QStringLiteral("not-a-uuid")),
                    record.arg(QUuid::createUuid().toString(QUuid::WithoutBraces), viewerID, vault))
                .toUtf8());
        program.delegate = std::make_unique<AppDelegate>(program.fakes.ports());
        program.start();
        const RunningApplication editor = program.fakes.workspace.launch(editorID);
        const RunningApplication viewer = program.fakes.workspace.launch(viewerID);
        program.fakes.scheduler.advance(0.2);
        QCOMPARE(program.fakes.workspace.forceTerminated,
                 (QList<RunningApplication>{editor, viewer}));
        QCOMPARE(program.fakes.notifier.posts.size(), 1);
        QCOMPARE(program.fakes.notifier.posts.first().body,
                 QStringLiteral("1 saved record is unreadable; the rest apply."));
    }

    void unmountCoversOnlyTheFirstRunningEnabledApp() {
        Program program;
        program.protect(QStringLiteral("org.example.Disabled"), QStringLiteral("Disabled"),
                        program.vault().id);
        program.delegate->apps().toggleApp(program.delegate->apps().apps().last());
        program.protect(QStringLiteral("org.example.NotRunning"), QStringLiteral("NotRunning"),
                        program.vault().id);
        program.protect(editorID, QStringLiteral("Editor"), program.vault().id);
        program.protect(viewerID, QStringLiteral("Viewer"), program.vault().id);
        program.plugVault();
        program.start();
        program.fakes.workspace.launch(QStringLiteral("org.example.Disabled"));
        program.fakes.workspace.launch(viewerID);
        program.fakes.workspace.launch(editorID);
        program.fakes.scheduler.advance(5);
        QCOMPARE(program.openOverlays(), std::size_t(0));

        program.fakes.volumes.unmountAll();
        program.fakes.scheduler.advance(5);
        QCOMPARE(program.fakes.overlayWindows.records.size(), std::size_t(1));
        QCOMPARE(program.fakes.overlayWindows.records[0]->content.appName,
                 QStringLiteral("Editor"));
        QCOMPARE(program.icon(), MenuBarController::IconState::locked);
        QVERIFY(program.fakes.workspace.forceTerminated.isEmpty());
    }

    void unmountWithNothingRunningLeavesTheIcon() {
        Program program;
        program.protect(editorID, QStringLiteral("Editor"), program.vault().id);
        program.plugVault();
        program.start();
        program.fakes.volumes.unmountAll();
        program.fakes.scheduler.advance(5);
        QCOMPARE(program.openOverlays(), std::size_t(0));
        QCOMPARE(program.icon(), MenuBarController::IconState::active);
        QCOMPARE(program.fakes.notifier.posts.size(), 1);
    }

    void mountOfAnotherDriveLeavesTheOverlay() {
        Program program;
        program.delegate->drives().addDrive(QStringLiteral("Other"),
                                            QStringLiteral("/media/me/Other"),
                                            QStringLiteral("OTHER-UUID"));
        program.protect(editorID, QStringLiteral("Editor"), program.vault().id);
        program.start();
        program.fakes.scheduler.advance(5); // both drives recorded as disconnected
        program.fakes.workspace.bringToFront(program.fakes.workspace.launch(editorID));
        program.fakes.scheduler.advance(0);
        QCOMPARE(program.openOverlays(), std::size_t(1));

        program.fakes.volumes.mount(QStringLiteral("Other"), QStringLiteral("OTHER-UUID"));
        program.fakes.scheduler.advance(5);
        QCOMPARE(program.openOverlays(), std::size_t(1));
        QCOMPARE(program.icon(), MenuBarController::IconState::locked);
    }

    // Every way the card comes down with protection on leaves the icon saying "active".
    void panicForceQuitAndTimeOutLeaveTheIconActive() {
        Program program;
        program.protect(editorID, QStringLiteral("Editor"), program.vault().id);
        program.start();
        const ProtectedApp editor = program.delegate->apps().apps().first();
        const QList<std::function<void()>> dismissals{
            [&] { QVERIFY(program.fakes.hotKeys.press(32, 0x1B00)); },
            [&] {
                program.fakes.overlayWindows.open().front()->content.onDismiss(
                    OverlayDismissReason::forceQuit);
            },
            [&] { program.fakes.scheduler.advance(OverlayWindowService::overlayTimeoutSeconds); }};
        for (const auto& dismiss : dismissals) {
            program.delegate->overlays().showDriveRequired(editor);
            QCOMPARE(program.openOverlays(), std::size_t(1));
            QCOMPARE(program.icon(), MenuBarController::IconState::locked);
            QCOMPARE(program.fakes.statusItem.toolTip, QStringLiteral("Velmora — App Locked"));
            dismiss();
            QCOMPARE(program.openOverlays(), std::size_t(0));
            QCOMPARE(program.icon(), MenuBarController::IconState::active);
            QCOMPARE(program.fakes.statusItem.toolTip,
                     QStringLiteral("Velmora — Protection Active"));
        }
        QVERIFY(program.delegate->defaults().appSettings().isProtectionEnabled);
        QVERIFY(program.fakes.logger.lines.contains(
            QStringLiteral("[Velmora Safety] Panic key activated — dismissing all overlays")));
        // The welcome walk of this first start saw the key work.
        QVERIFY(program.delegate->onboarding().model()->panicKeyTried());
    }

    void ctrlQGoesThroughQuitProtection() {
        Program program;
        program.start();
        QVERIFY(program.fakes.keyMonitor.press(Qt::Key_Q, Qt::ControlModifier));
        QCOMPARE(program.terminations, 1);
        QVERIFY(
            !program.fakes.keyMonitor.press(Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier));

        AppSettings settings;
        settings.requirePasswordToQuit = true;
        program.delegate->defaults().setAppSettings(settings);
        program.delegate->requestTermination();
        program.delegate->requestTermination();
        QCOMPARE(program.fakes.auth.reasons, QStringList{QStringLiteral("Quit Velmora")});
        QCOMPARE(program.fakes.selfActivation.activations, 1);
        program.fakes.auth.answer(AuthBackend::Result::refused, QStringLiteral("cancelled"));
        program.fakes.scheduler.advance(0);
        QCOMPARE(program.terminations, 1);

        program.fakes.powerEvents.powerOff();
        program.delegate->requestTermination();
        QCOMPARE(program.terminations, 2);
        QCOMPARE(program.fakes.auth.reasons.size(), 1);
    }
};

QTEST_GUILESS_MAIN(AppDelegateTest)
#include "AppDelegateTest.moc"
