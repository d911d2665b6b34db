#include "pickers/AppPickerViewModel.h"
#include "pickers/AppPickerWindowController.h"
#include "settings/AppsSettingsViewModel.h"
#include "support/DesktopEntryTree.h"
#include "support/OverlayModelGraph.h"
#include "support/ViewRenderer.h"
#include "xdg/ApplicationScanner.h"
#include "xdg/DesktopEntryIndex.h"
#include "xdg/XdgAppIconSource.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QUrl pickerUrl(QStringLiteral("qrc:/qt/qml/Velmora/pickers/AppPickerView.qml"));
const QUrl tabUrl(QStringLiteral("qrc:/qt/qml/Velmora/settings/AppsSettingsView.qml"));
// The settings window is 520 × 480 with its tab bar on top.
const QSize tabSize(520, 430);

void click(QQuickItem* item, QPointF at = {-1, -1}, Qt::KeyboardModifiers modifiers = {}) {
    if (at.x() < 0)
        at = QPointF(item->width() / 2, item->height() / 2);
    QTest::mouseClick(item->window(), Qt::LeftButton, modifiers, item->mapToScene(at).toPoint());
}

QQuickItem* child(QObject* root, const QString& name) {
    return root->findChild<QQuickItem*>(name);
}

// Delegates are visual children only, not object children.
void collect(QQuickItem* item, const QString& name, QList<QQuickItem*>& found) {
    if (item->objectName() == name)
        found.append(item);
    for (QQuickItem* each : item->childItems())
        collect(each, name, found);
}

// The named item of the row'th row from the top.
QQuickItem* inRow(QQuickItem* root, const QString& name, int row) {
    QList<QQuickItem*> items;
    collect(root, name, items);
    std::sort(items.begin(), items.end(), [](QQuickItem* a, QQuickItem* b) {
        return a->mapToScene({0, 0}).y() < b->mapToScene({0, 0}).y();
    });
    return items.value(row);
}

void dropClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class AppPickerWindowTest : public QObject {
    Q_OBJECT

    // The stores and texts, the real icons of this machine, and a temporary XDG tree.
    struct Kit : OverlayModelGraph {
        DesktopEntryTree tree;
        XdgAppIconSource icons{
            logger, QStringList{tree.home() + QStringLiteral("/applications")} +
                        QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)};
        ViewRenderer renderer{language, icons, logger};
        ApplicationScanner scanner{logger, tree.dataDirs()};
        AppPickerWindowController controller{
            {renderer.engine(), apps, scanner, defaults, language, logger}};

        void setLanguage(AppLanguage chosen) {
            language.changeLanguage(chosen);
            scheduler.advance(0);
        }
    };

private slots:
    void reusedAfterItsCloseButtonAndFreshAfterCancelOrConfirm() {
        Kit k;
        k.tree.app(k.tree.system(), QStringLiteral("org.example.Zed"), QStringLiteral("Zed"));
        k.tree.app(k.tree.system(), QStringLiteral("org.example.Atlas"), QStringLiteral("atlas"));
        k.tree.app(k.tree.system(), QStringLiteral("org.example.Moss"), QStringLiteral("Moss"));
        QWindow parent;
        parent.setGeometry(100, 100, 1000, 800);

        k.controller.show(&parent);
        QQuickWindow* window = k.controller.window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->title(), QStringLiteral("Add Applications"));
        QCOMPARE(window->size(), QSize(440, 520));
        QCOMPARE(window->position(), QPoint(380, 240));
        QVERIFY(k.controller.view());

        k.controller.model()->toggleSelection(QStringLiteral("org.example.Zed"));
        window->close();
        k.controller.show(&parent);
        QCOMPARE(k.controller.window(), window);
        QCOMPARE(k.controller.model()->selectedCount(), 1);

        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Escape);
        dropClosedWindows();
        QVERIFY(!k.controller.window());
        QVERIFY(k.apps.apps().isEmpty());

        k.controller.show(nullptr);
        QCOMPARE(k.controller.model()->selectedCount(), 0);
        k.controller.model()->toggleSelection(QStringLiteral("org.example.Zed"));
        k.controller.model()->toggleSelection(QStringLiteral("org.example.Atlas"));
        QMetaObject::invokeMethod(k.controller.model(), "confirm");
        dropClosedWindows();
        QVERIFY(!k.controller.window());
        QCOMPARE(k.apps.apps().size(), 2);
        QCOMPARE(k.apps.apps()[0].name, QStringLiteral("atlas"));
        QCOMPARE(k.apps.apps()[1].bundleIdentifier, QStringLiteral("org.example.Zed"));

        k.controller.show(nullptr);
        QCOMPARE(k.controller.model()->installedApps().size(), 1);
    }

    void clicksAndKeysReachTheirApps() {
        Kit k;
        k.tree.app(k.tree.system(), QStringLiteral("org.example.Zed"), QStringLiteral("Zed"));
        k.tree.app(k.tree.system(), QStringLiteral("org.example.Atlas"), QStringLiteral("Atlas"));
        k.controller.show(nullptr);
        QVERIFY(QTest::qWaitForWindowActive(k.controller.window()));
        QQuickItem* list = child(k.controller.view(), QStringLiteral("list"));
        click(list, {100, 60}); // the second row
        QCOMPARE(k.controller.model()->selectedCount(), 1);
        click(child(k.controller.view(), QStringLiteral("addButton")));
        dropClosedWindows();
        QCOMPARE(k.apps.apps().size(), 1);
        QCOMPARE(k.apps.apps()[0].name, QStringLiteral("Zed"));

        for (const char* name : {"Alpha", "Beta", "Gamma"})
            k.apps.addApp(QLatin1String(name), QLatin1String(name), QString());
        AppsSettingsViewModel model{k.apps, k.drives, k.owner.guard, k.language, {}};
        QQuickItem* view = k.renderer.load(
            tabUrl, tabSize, {{QStringLiteral("model"), QVariant::fromValue(&model)}});
        QVERIFY(QTest::qWaitForWindowActive(&k.renderer.window()));
        list = child(view, QStringLiteral("list"));
        click(list, {100, 24 + 48});
        click(list, {100, 24 + 48 * 3}, Qt::ControlModifier);
        QTest::keyClick(&k.renderer.window(), Qt::Key_Delete);
        QCOMPARE(k.apps.apps().size(), 2);
        QCOMPARE(k.apps.apps()[1].name, QStringLiteral("Beta"));

        click(inRow(view, QStringLiteral("protectionSwitch"), 1));
        QCOMPARE(k.apps.apps()[1].isEnabled, false);
        click(inRow(view, QStringLiteral("trashButton"), 0));
        QCOMPARE(k.apps.apps().size(), 1);
        QCOMPARE(k.apps.apps()[0].name, QStringLiteral("Beta"));
    }

    // Pictures in <build>/views: this machine's applications, the same searched, a fuller
    // generated list, and the Apps tab empty and with rows; in English and Chinese.
    void rendersThePickerAndTheAppsTab() {
        Kit k;
        const QStringList pixmaps{QStringLiteral("/usr/share/pixmaps/gvim.png"),
                                  QStringLiteral("/usr/share/pixmaps/openbox.png"),
                                  QStringLiteral("/usr/share/pixmaps/debian-logo.png")};
        const QList<std::pair<QString, QString>> generated{
            {QStringLiteral("Text Editor"), QStringLiteral("文本编辑器")},
            {QStringLiteral("archive manager"), QStringLiteral("归档管理器")},
            {QStringLiteral("Calculator"), QStringLiteral("计算器")},
            {QStringLiteral("Image Viewer"), QStringLiteral("图像查看器")},
            {QStringLiteral("A Very Long Application Name That Does Not Fit"), QString()}};
        for (qsizetype i = 0; i < generated.size(); ++i) {
            const QString zh = generated[i].second.isEmpty()
                                   ? QString()
                                   : QStringLiteral("Name[zh_CN]=") + generated[i].second + u'\n';
            k.tree.app(k.tree.home(), QStringLiteral("org.example.App%1").arg(i),
                       generated[i].first,
                       zh + QStringLiteral("Icon=") + pixmaps[i % pixmaps.size()]);
        }
        ApplicationScanner machine{k.logger, DesktopEntryIndex::defaultDataDirs()};
        k.apps.addApp(QStringLiteral("vim"), QStringLiteral("Vim"), QString());
        k.apps.addApp(QStringLiteral("org.example.App0"), QStringLiteral("Text Editor"), QString());
        k.drives.addDrive(QStringLiteral("Studio"), QStringLiteral("/media/studio"), std::nullopt);
        k.apps.setRequiredDriveID(k.apps.apps()[1], k.drives.drives()[0].id);
        k.apps.toggleApp(k.apps.apps()[0]);
        k.drives.addDrive(QStringLiteral("SPAREKEY"), QStringLiteral("/media/spare"), std::nullopt);
        k.apps.addApp(QStringLiteral("org.example.App2"), QStringLiteral("Calculator"), QString());
        k.apps.setRequiredDriveIDs(k.apps.apps()[2],
                                   {k.drives.drives()[0].id, k.drives.drives()[1].id});

        for (AppLanguage language : {AppLanguage::english, AppLanguage::chinese}) {
            k.setLanguage(language);
            const QString suffix = language == AppLanguage::english ? QStringLiteral("-en")
                                                                    : QStringLiteral("-zh-Hans");
            for (const auto& [scanner, search, name] :
                 QList<std::tuple<ApplicationScanner*, QString, QString>>{
                     {&machine, QString(), QStringLiteral("app-picker-machine")},
                     {&machine, QStringLiteral("vi"), QStringLiteral("app-picker-machine-search")},
                     {&machine, QStringLiteral("calc"), QStringLiteral("app-picker-no-match")},
                     {&k.scanner, QString(), QStringLiteral("app-picker-list")}}) {
                // Vim stays listed here: the pictures show the machine's entries.
                MemoryStore emptyStore;
                Defaults noneProtected{emptyStore, k.logger};
                AppPickerViewModel model{{*scanner, noneProtected, k.language}};
                ViewRenderer renderer{k.language, k.icons, k.logger};
                model.loadInstalledApps();
                model.setSearchText(search);
                if (!model.installedApps().isEmpty())
                    model.toggleSelection(model.installedApps().first().bundleIdentifier);
                QQuickItem* view =
                    renderer.load(pickerUrl, QSize(440, 520),
                                  {{QStringLiteral("model"), QVariant::fromValue(&model)}});
                QVERIFY2(view, qPrintable(renderer.errors()));
                ViewRenderer::save(renderer.grab(), name + suffix);
                QCOMPARE(child(view, QStringLiteral("noMatches"))->isVisible(),
                         model.rowCount() == 0);
            }
            for (bool empty : {true, false}) {
                MemoryStore store;
                Defaults defaults{store, k.logger};
                ProtectedAppsManager none{defaults, k.logger};
                AppsSettingsViewModel model{
                    empty ? none : k.apps, k.drives, k.owner.guard, k.language, {}};
                ViewRenderer renderer{k.language, k.icons, k.logger};
                QQuickItem* view = renderer.load(
                    tabUrl, tabSize, {{QStringLiteral("model"), QVariant::fromValue(&model)}});
                QVERIFY2(view, qPrintable(renderer.errors()));
                ViewRenderer::save(renderer.grab(), (empty ? QStringLiteral("apps-tab-empty")
                                                           : QStringLiteral("apps-tab-rows")) +
                                                        suffix);
                QCOMPARE(view->findChild<QQuickItem*>(QStringLiteral("emptyState"))->isVisible(),
                         empty);
                if (empty)
                    continue;
                // The spared row's menu, open.
                QObject* menu = inRow(view, QStringLiteral("driveMenu"), 2);
                QVERIFY(menu);
                QObject* popup = menu->property("popup").value<QObject*>();
                QVERIFY(popup && QMetaObject::invokeMethod(popup, "open"));
                QTRY_VERIFY(popup->property("opened").toBool());
                ViewRenderer::save(renderer.grab(), QStringLiteral("apps-tab-spare-menu") + suffix);
            }
        }
    }
};

QTEST_MAIN(AppPickerWindowTest)
#include "AppPickerWindowTest.moc"
