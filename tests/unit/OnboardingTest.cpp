#include "app/AppDelegate.h"
#include "fakes/FakeLoginItems.h"
#include "fakes/FakeOnboardingWindows.h"
#include "fakes/FakeSelfActivation.h"
#include "onboarding/OnboardingViewModel.h"
#include "onboarding/OnboardingWindowController.h"
#include "services/LoginItemService.h"
#include "support/FakePorts.h"
#include "support/OverlayModelGraph.h"

#include <QtTest>

namespace {

// The welcome walk on fakes, with the real login-item routine over a recording adapter.
struct Walk : OverlayModelGraph {
    FakeSelfActivation selfActivation;
    FakeOnboardingWindows windows;
    FakeLoginItems loginItems;
    LoginItemService loginItemService{loginItems, defaults, logger};
    std::unique_ptr<OnboardingWindowController> controller = makeController();

    std::unique_ptr<OnboardingWindowController> makeController() {
        return std::make_unique<OnboardingWindowController>(
            OnboardingWindowController::Dependencies{
                defaults, language, selfActivation, windows.factory(),
                [this](bool enabled) { loginItemService.saveLaunchAtLogin(enabled); },
                [] { return true; }});
    }

    OnboardingViewModel& model() { return *controller->model(); }
    void pressButton(int times) {
        for (int i = 0; i < times; ++i)
            model().pressButton();
    }
};

} // namespace

class OnboardingTest : public QObject {
    Q_OBJECT

private slots:
    void walksForwardToGetStarted() {
        Walk walk;
        walk.controller->showIfNeeded();
        QCOMPARE(walk.windows.openCount(), 1);
        QCOMPARE(walk.model().currentStep(), 0);
        QCOMPARE(walk.model().infoStep().value(QStringLiteral("title")).toString(),
                 QStringLiteral("Welcome to Velmora"));
        const QStringList expectedKinds{QStringLiteral("info"), QStringLiteral("panicKey"),
                                        QStringLiteral("info"), QStringLiteral("final")};
        for (int step = 0; step < 4; ++step) {
            QCOMPARE(walk.model().currentStep(), step);
            QCOMPARE(walk.model().stepKind(), expectedKinds.at(step));
            QCOMPARE(walk.model().buttonTitle(),
                     step < 3 ? QStringLiteral("Continue") : QStringLiteral("Get Started"));
            if (step < 3)
                walk.pressButton(1);
        }
        QCOMPARE(walk.model().infoStep(), QVariantMap());
        // Showing again while open only brings the same window forward.
        walk.controller->show();
        QCOMPARE(walk.windows.records.size(), 1);
        QCOMPARE(walk.windows.records.first().timesBroughtToFront, 2);
        QCOMPARE(walk.selfActivation.activations, 2);
        QVERIFY(!walk.defaults.hasCompletedOnboarding());
    }

    void getStartedSavesTheFlagAndAppliesTheSwitch() {
        for (bool launchAtLogin : {true, false}) {
            Walk walk;
            walk.controller->showIfNeeded();
            walk.pressButton(3);
            QVERIFY(walk.model().launchAtLogin());
            walk.model().setLaunchAtLogin(launchAtLogin);
            walk.pressButton(1);

            QVERIFY(walk.defaults.hasCompletedOnboarding());
            QCOMPARE(walk.defaults.appSettings().launchAtLogin, launchAtLogin);
            QCOMPARE(walk.loginItems.calls,
                     QStringList{launchAtLogin ? QStringLiteral("register")
                                               : QStringLiteral("unregister")});
            QCOMPARE(walk.windows.openCount(), 0);
            QVERIFY(walk.logger.lines.isEmpty());

            // The next start shows nothing.
            Walk next;
            next.store.values = walk.store.values;
            next.controller->showIfNeeded();
            QCOMPARE(next.windows.records.size(), 0);
        }
    }

    // Quitting mid-walk leaves the flag unset, so the next start begins again at step 0; the
    // delegate shows the walk at start-up.
    void startsAgainUntilFinished() {
        FakePorts fakes;
        {
            AppDelegate delegate(fakes.ports());
            delegate.applicationDidFinishLaunching();
            QCOMPARE(fakes.onboardingWindows.openCount(), 1);
            delegate.onboarding().model()->pressButton();
        }
        QCOMPARE(fakes.onboardingWindows.openCount(), 0);
        AppDelegate again(fakes.ports());
        again.applicationDidFinishLaunching();
        QCOMPARE(fakes.onboardingWindows.openCount(), 1);
        QCOMPARE(again.onboarding().model()->currentStep(), 0);
        QVERIFY(!again.defaults().hasCompletedOnboarding());
    }
};

QTEST_GUILESS_MAIN(OnboardingTest)
#include "OnboardingTest.moc"
