#include "fakes/FakeAppIconSource.h"
#include "fakes/FakeSelfActivation.h"
#include "onboarding/OnboardingViewModel.h"
#include "onboarding/OnboardingWindowController.h"
#include "onboarding/QuickOnboardingWindow.h"
#include "support/OverlayModelGraph.h"
#include "support/ViewRenderer.h"

#include <QQuickItem>
#include <QtTest>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/onboarding/OnboardingView.qml"));

struct Kit : OverlayModelGraph {
    FakeAppIconSource icons;
    FakeSelfActivation selfActivation;
};

} // namespace

class OnboardingViewTest : public QObject {
    Q_OBJECT

private slots:
    // Pictures of the four steps for people to look at, in English and Korean; without a tray
    // the last step also says how to reach the program.
    void rendersEveryStep() {
        for (AppLanguage chosen : {AppLanguage::english, AppLanguage::korean}) {
            for (bool trayAvailable : {true, false}) {
                Kit kit;
                kit.language.changeLanguage(chosen);
                kit.scheduler.advance(0);
                ViewRenderer renderer(kit.language, kit.icons, kit.logger);
                OnboardingViewModel model(trayAvailable, [] {});
                QQuickItem* view =
                    renderer.load(viewUrl, QSize(480, 420),
                                  {{QStringLiteral("model"),
                                    QVariant::fromValue(static_cast<QObject*>(&model))}});
                QVERIFY2(view, qPrintable(renderer.errors()));
                const QString language = AppLanguages::rawValue(chosen);
                auto* step = view->findChild<QQuickItem*>(QStringLiteral("step"));
                QVERIFY(step);
                const auto stepOpacity = [step] {
                    return step->property("item").value<QQuickItem*>()->opacity();
                };
                for (int step = 0; step < OnboardingViewModel::stepCount; ++step) {
                    if (step > 0)
                        model.pressButton();
                    if (!trayAvailable && step < 3)
                        continue;
                    // The step has faded in.
                    QTRY_COMPARE(stepOpacity(), 1.0);
                    const QImage image = renderer.grab();
                    QVERIFY(!image.isNull());
                    ViewRenderer::save(
                        image,
                        QStringLiteral("onboarding-step%1-%2%3")
                            .arg(step)
                            .arg(language, trayAvailable ? QString() : QStringLiteral("-no-tray")));
                    if (model.stepKind() != QLatin1String("panicKey"))
                        continue;
                    // Pressing the key while its step shows says that it worked.
                    auto* tryIt = view->findChild<QQuickItem*>(QStringLiteral("tryIt"));
                    QVERIFY(tryIt);
                    const QString before = tryIt->property("text").toString();
                    model.notePanicKeyPressed();
                    QVERIFY(tryIt->property("text").toString() != before);
                    ViewRenderer::save(renderer.grab(),
                                       QStringLiteral("onboarding-panic-tried-") + language);
                }
                auto* hint = view->findChild<QQuickItem*>(QStringLiteral("settingsHint"));
                QVERIFY(hint);
                QCOMPARE(hint->property("lineCount").toInt() > 2, !trayAvailable);
            }
        }
    }

    // A window manager's close request (Alt+F4) is refused; only finishing the walk closes it.
    void refusesToBeClosedByTheWindowManager() {
        Kit kit;
        OnboardingViewModel model(true, [] {});
        auto window =
            std::make_unique<QuickOnboardingWindow>(model, kit.language, kit.icons, kit.logger);
        window->bringToFront();
        QQuickWindow* shown = window->window();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QCOMPARE(shown->title(), QStringLiteral("Welcome to Velmora"));
        QCOMPARE(shown->size(), QSize(480, 420));
        QVERIFY(shown->flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!shown->flags().testFlag(Qt::WindowCloseButtonHint));

        QVERIFY(!shown->close());
        QVERIFY(shown->isVisible());

        QPointer<QQuickWindow> watched(shown);
        window.reset();
        QVERIFY(!watched->isVisible());
        QTRY_VERIFY(watched.isNull());
        QVERIFY(kit.logger.lines.isEmpty());
    }

    // Quitting while the walk shows: the view must not outlive its model and read it as null.
    void quittingWhileShownLeavesNoViewErrors() {
        Kit kit;
        QTest::failOnWarning(QRegularExpression(QStringLiteral("TypeError")));
        auto controller =
            std::make_unique<OnboardingWindowController>(OnboardingWindowController::Dependencies{
                kit.defaults,
                kit.language,
                kit.selfActivation,
                [&kit](OnboardingViewModel& model, LanguageManager& language) {
                    return std::make_unique<QuickOnboardingWindow>(model, language, kit.icons,
                                                                   kit.logger);
                },
                {},
                {}});
        controller->show();
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(OnboardingViewTest)
#include "OnboardingViewTest.moc"
