#include "app/AppDelegate.h"
#include "settings/QuickSettingsWindows.h"
#include "support/FakePorts.h"
#include "support/ViewRenderer.h"

#include <QQuickItem>
#include <QtTest>

namespace {

const QUrl settingsUrl(QStringLiteral("qrc:/qt/qml/Velmora/settings/SettingsView.qml"));
const QUrl updateUrl(QStringLiteral("qrc:/qt/qml/Velmora/updates/UpdateView.qml"));

// The program on fakes with its settings window's models, and a renderer for the views.
struct Program {
    FakePorts fakes;
    AppDelegate delegate{fakes.ports()};
    ViewRenderer renderer{delegate.language(), fakes.appIcons, fakes.logger};

    Program() {
        fakes.auth.biometrics = true;
        delegate.applicationDidFinishLaunching();
        delegate.settings()->showWindowOn(std::nullopt);
    }
    void setLanguage(AppLanguage language) {
        delegate.language().changeLanguage(language);
        fakes.scheduler.advance(0);
    }
    QQuickItem* loadSettings() {
        return renderer.load(settingsUrl, SettingsWindowController::windowSize,
                             {{QStringLiteral("model"),
                               QVariant::fromValue<QObject*>(&delegate.settings()->viewModel())}});
    }
    QQuickItem* content(QQuickItem* root, const char* loader) {
        auto* item = root->findChild<QQuickItem*>(QString::fromLatin1(loader));
        return item ? item->property("item").value<QQuickItem*>() : nullptr;
    }
};

QString textOf(QQuickItem* root, const char* name) {
    auto* item = root->findChild<QQuickItem*>(QString::fromLatin1(name));
    return item ? item->property("text").toString() : QStringLiteral("<missing %1>").arg(name);
}

} // namespace

class SettingsViewTest : public QObject {
    Q_OBJECT

private slots:
    void generalTabInEachLanguageRebuiltWithTheTabKept() {
        Program program;
        QQuickItem* root = program.loadSettings();
        QVERIFY2(root, qPrintable(program.renderer.errors()));
        QQuickItem* general = program.content(root, "generalContent");
        QVERIFY(general);
        QCOMPARE(textOf(general, "intervalValue"), QStringLiteral("5 sec"));
        ViewRenderer::save(program.renderer.grab(), QStringLiteral("settings-general-en"));

        for (const auto& [language, name] :
             {std::pair{AppLanguage::chinese, "zh-Hans"}, std::pair{AppLanguage::korean, "ko"}}) {
            program.setLanguage(language);
            QQuickItem* rebuilt = program.content(root, "generalContent");
            QVERIFY(rebuilt && rebuilt != general);
            general = rebuilt;
            ViewRenderer::save(program.renderer.grab(),
                               QStringLiteral("settings-general-") + QString::fromLatin1(name));
        }
        QCOMPARE(textOf(general, "quitFooter"),
                 program.delegate.language().localized(
                     program.delegate.settings()->generalModel()->quitFooterKey()));

        // The Apps tab stays selected while the language changes; its placeholder is rebuilt.
        program.delegate.settings()->viewModel().setSelectedTab(SettingsViewModel::apps);
        program.setLanguage(AppLanguage::english);
        QCOMPARE(
            root->findChild<QQuickItem*>(QStringLiteral("pages"))->property("currentIndex").toInt(),
            1);
        QVERIFY(program.content(root, "appsContent"));
        ViewRenderer::save(program.renderer.grab(), QStringLiteral("settings-apps-placeholder-en"));
    }

    void realWindowHasAFixedSizeAndOutlivesClosing() {
        Program program;
        QuickSettingsWindows windows(program.delegate.language(), program.fakes.appIcons,
                                     program.fakes.logger);
        SettingsViewModel view;
        std::unique_ptr<SettingsWindow> window =
            windows.create(QStringLiteral("Velmora Settings"), QSize(520, 480), view);
        window->moveFrameTo(QPoint(100, 50));
        window->showAndRaise();
        QWindow* shown = nullptr;
        for (QWindow* candidate : QGuiApplication::topLevelWindows()) {
            if (candidate->title() == QStringLiteral("Velmora Settings"))
                shown = candidate;
        }
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(shown->minimumSize(), QSize(520, 480));
        QCOMPARE(shown->maximumSize(), QSize(520, 480));
        QVERIFY(shown->flags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!shown->flags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(shown->framePosition(), QPoint(100, 50));
        QVERIFY(program.fakes.logger.lines.filter(QStringLiteral("failed to load")).isEmpty());

        shown->close();
        QVERIFY(!shown->isVisible());
        window->showAndRaise();
        QVERIFY(shown->isVisible());
    }

    void updateWindowStates() {
        Program program;
        UpdateService& updates = *program.delegate.updates();
        QQuickItem* root = program.renderer.load(
            updateUrl, QSize(420, 260),
            {{QStringLiteral("model"), QVariant::fromValue<QObject*>(&updates.viewModel())}});
        QVERIFY2(root, qPrintable(program.renderer.errors()));
        UpdateViewModel& model = updates.viewModel();
        const QList<std::pair<QString, std::function<void()>>> states{
            {QStringLiteral("checking"), [&] { model.showChecking(); }},
            {QStringLiteral("up-to-date"), [&] { model.showUpToDate(); }},
            {QStringLiteral("available"),
             [&] {
                 model.showAvailable(QStringLiteral("0.2.0"),
                                     QStringLiteral("• Faster drive polling\n• Settings window\n"
                                                    "• Fixes for multi-screen overlays"),
                                     QUrl(QStringLiteral("https://example.org/velmora")));
             }},
            {QStringLiteral("failed"),
             [&] { model.showFailed(QStringLiteral("The update server did not answer in time")); }},
            {QStringLiteral("package-manager"), [&] { model.showPackageManager(); }}};
        for (const auto& [name, show] : states) {
            show();
            ViewRenderer::save(program.renderer.grab(), QStringLiteral("update-") + name);
        }
        program.setLanguage(AppLanguage::chinese);
        model.showAvailable(QStringLiteral("0.2.0"), QStringLiteral("• 更快的硬盘检测"),
                            QUrl(QStringLiteral("https://example.org/velmora")));
        ViewRenderer::save(program.renderer.grab(), QStringLiteral("update-available-zh-Hans"));
        QCOMPARE(textOf(root, "availableTitle"), QStringLiteral("Velmora 有新版本可用！"));
    }
};

QTEST_MAIN(SettingsViewTest)
#include "SettingsViewTest.moc"
