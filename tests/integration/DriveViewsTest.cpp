#include "fakes/FakeAppIconSource.h"
#include "pickers/DrivePickerViewModel.h"
#include "pickers/DrivePickerWindowController.h"
#include "services/LanguageManager.h"
#include "settings/DriveSettingsViewModel.h"
#include "support/DriveMonitorRig.h"
#include "support/GuardRig.h"
#include "support/ViewRenderer.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QtTest>

namespace {

struct Kit : DriveMonitorRig<> {
    FakeAppIconSource icons;
    LanguageManager language{defaults, scheduler, logger};
    GuardRig owner{defaults, scheduler, logger};
};

// List rows belong to their view only through the item tree, so findChildren misses them.
void collect(QQuickItem* item, const QString& objectName, QList<QQuickItem*>& found) {
    if (item->objectName() == objectName && item->isVisible())
        found.append(item);
    for (QQuickItem* each : item->childItems())
        collect(each, objectName, found);
}

QList<QQuickItem*> visibleItems(QQuickItem* root, const char* objectName) {
    QList<QQuickItem*> found;
    collect(root, QString::fromLatin1(objectName), found);
    return found;
}

QPoint centreOf(QQuickItem* item) {
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

bool centredOn(const QRect& window, const QRect& area) {
    return (window.center() - area.center()).manhattanLength() <= 2;
}

} // namespace

class DriveViewsTest : public QObject {
    Q_OBJECT

private slots:
    // Made once, scanned each time it appears, closed by a registering click, a refused
    // duplicate and Cancel; centred over its parent or the screen.
    void pickerComesBackAfterClosing() {
        Kit kit;
        kit.volumes.mount("KEY", "AAAA-1111");
        DrivePickerWindowController picker(
            {kit.volumes, kit.drives, kit.language, kit.icons, kit.logger});
        picker.show();
        QQuickView* window = picker.window();
        QCOMPARE(window->title(), QStringLiteral("Add External Drive"));
        QCOMPARE(window->size(), QSize(480, 360));
        QVERIFY(window->maximumSize().width() > 480);
        QVERIFY(
            centredOn(window->geometry(), QGuiApplication::primaryScreen()->availableGeometry()));
        QTRY_COMPARE(visibleItems(window->rootObject(), "name").size(), 1);
        QTest::mouseClick(window, Qt::LeftButton, {},
                          centreOf(visibleItems(window->rootObject(), "name").first()));
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(kit.drives.drives().first().volumeUUIDString, QStringLiteral("AAAA-1111"));

        kit.volumes.mount("SECOND");
        QWindow parent;
        parent.setGeometry(100, 120, 520, 480);
        picker.show(&parent);
        QCOMPARE(picker.window(), window);
        QVERIFY(window->isVisible() && centredOn(window->geometry(), parent.geometry()));
        QCOMPARE(picker.model()->mountedVolumes().size(), 2);
        const QUuid firstId = picker.model()->mountedVolumes().first().id;
        picker.show(&parent); // already open: only brought to the front
        QCOMPARE(picker.model()->mountedVolumes().first().id, firstId);
        picker.model()->registerVolume(firstId.toString());
        QVERIFY(!window->isVisible());
        QCOMPARE(kit.drives.drives().size(), 1);

        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window, Qt::LeftButton, {},
                          centreOf(window->rootObject()->findChild<QQuickItem*>("cancel")));
        QTRY_VERIFY(!window->isVisible());
        QVERIFY2(kit.logger.lines.filter("failed").isEmpty(),
                 qPrintable(kit.logger.lines.join('\n')));
    }

    // Pictures in <build>/views: the picker and the Drives tab (at the settings window's tab
    // size), empty and filled, in English and Japanese. Then Ctrl-click and Delete on the tab.
    void rendersPickerAndTab() {
        const QUrl pickerUrl("qrc:/qt/qml/Velmora/pickers/DrivePickerView.qml");
        const QUrl tabUrl("qrc:/qt/qml/Velmora/settings/DriveSettingsView.qml");
        for (const char* language : {"en", "ja"}) {
            Kit kit;
            kit.language.changeLanguage(QString::fromLatin1(language));
            kit.scheduler.advance(0);
            // The renderer once the view shows `count` visible items named `item`; null if never.
            const auto render = [&](const QUrl& url, QSize size, QObject* model,
                                    const QString& picture, const char* item, int count) {
                auto renderer = std::make_unique<ViewRenderer>(kit.language, kit.icons, kit.logger);
                QQuickItem* root =
                    renderer->load(url, size, {{"model", QVariant::fromValue(model)}});
                if (!root ||
                    !QTest::qWaitFor([&] { return visibleItems(root, item).size() == count; }))
                    return std::unique_ptr<ViewRenderer>();
                ViewRenderer::save(renderer->grab(), picture + u'-' + language);
                return renderer;
            };
            DrivePickerViewModel picker(kit.volumes, kit.drives);
            DriveSettingsViewModel tab({kit.drives, kit.owner.guard, kit.driveMonitor, {}});
            QVERIFY(render(pickerUrl, {480, 360}, &picker, "drive-picker-empty", "emptyState", 1));
            QVERIFY(render(tabUrl, {520, 430}, &tab, "drives-tab-empty", "emptyState", 1));

            // Two volumes of one name: the path tells them apart.
            kit.volumes.mount("SANDISK", "AAAA-1111");
            kit.volumes.volumes.append(MountedVolume{"/run/media/me/Studio backups/SANDISK",
                                                     "SANDISK", "", false, false, "1b4e28ba"});
            kit.volumes.volumes.last().isReadOnly = true;
            picker.scanVolumes();
            QVERIFY(render(pickerUrl, {480, 360}, &picker, "drive-picker-volumes", "volumeRow", 2));
            QVERIFY(
                render(pickerUrl, {480, 360}, &picker, "drive-picker-volumes", "readOnlyNote", 1));

            // Mounted, unplugged, and mounted but switched off.
            kit.volumes.mount("Photos");
            kit.drives.addDrive("SANDISK", "/media/me/SANDISK", QStringLiteral("AAAA-1111"));
            kit.drives.addDrive("Archive", "/media/me/Archive",
                                QStringLiteral("1b4e28ba-2fa1-11d2-883f-0016d3cca427"));
            kit.drives.addDrive("Photos", "/media/me/Photos", std::nullopt);
            kit.drives.toggleDrive(kit.drives.drives().at(2));
            // What udisks2 said of the stick; the archive is a read-only image.
            kit.drives.setHardware(kit.drives.drives().at(0).id,
                                   HardwareIdentity{"SanDisk", "Cruzer Blade", "4C530001", ""});
            kit.drives.markCannotHoldKey(kit.drives.drives().at(1).id);
            const auto renderer = render(tabUrl, {520, 430}, &tab, "drives-tab-drives", "name", 3);
            QVERIFY(renderer);
            QCOMPARE(visibleItems(renderer->window().contentItem(), "uuid").size(), 2);
            QCOMPARE(visibleItems(renderer->window().contentItem(), "hardware").size(), 1);
            QCOMPARE(visibleItems(renderer->window().contentItem(), "keyNote").size(), 1);

            const QList<QQuickItem*> names = visibleItems(renderer->window().contentItem(), "name");
            QTest::mouseClick(&renderer->window(), Qt::LeftButton, {}, centreOf(names.at(0)));
            QTest::mouseClick(&renderer->window(), Qt::LeftButton, Qt::ControlModifier,
                              centreOf(names.at(2)));
            ViewRenderer::save(renderer->grab(), QStringLiteral("drives-tab-selected-") + language);
            QTest::keyClick(&renderer->window(), Qt::Key_Delete);
            QCOMPARE(kit.drives.drives().size(), 1);
            QCOMPARE(kit.drives.drives().first().name, QStringLiteral("Archive"));
        }
    }
};

QTEST_MAIN(DriveViewsTest)
#include "DriveViewsTest.moc"
