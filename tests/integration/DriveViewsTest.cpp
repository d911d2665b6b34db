#include "fakes/CapturingLogger.h"
#include "fakes/FakeAppIconSource.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "pickers/DrivePickerViewModel.h"
#include "pickers/DrivePickerWindowController.h"
#include "services/DriveMonitorService.h"
#include "services/LanguageManager.h"
#include "settings/DriveSettingsViewModel.h"
#include "support/ViewRenderer.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QtTest>
#include <memory>

namespace {

const QUrl pickerUrl(QStringLiteral("qrc:/qt/qml/Velmora/pickers/DrivePickerView.qml"));
const QUrl tabUrl(QStringLiteral("qrc:/qt/qml/Velmora/settings/DriveSettingsView.qml"));
// The settings window is 520 x 480 with its tab bar on top.
const QSize tabSize(520, 430);

struct Kit {
    MemoryStore store;
    CapturingLogger logger;
    FakeScheduler scheduler;
    FakeVolumeSource volumes;
    FakeNotifier notifier;
    FakeAppIconSource icons;
    Defaults defaults{store, logger};
    LanguageManager language{defaults, scheduler, logger};
    ProtectedDrivesManager drives{defaults, logger};
    DriveMonitorService monitor{{scheduler, notifier, volumes, drives, defaults, logger}};

    void setLanguage(AppLanguage chosen) {
        language.changeLanguage(chosen);
        scheduler.advance(0);
    }
};

QQuickItem* child(QQuickItem* root, const char* objectName) {
    return root->findChild<QQuickItem*>(QString::fromLatin1(objectName));
}

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
    std::sort(found.begin(), found.end(), [](QQuickItem* a, QQuickItem* b) {
        return a->mapToScene({}).y() < b->mapToScene({}).y();
    });
    return found;
}

QPoint centreOf(QQuickItem* item) {
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

QString pictureName(const QString& what, AppLanguage language) {
    return what + u'-' + AppLanguages::rawValue(language);
}

} // namespace

class DriveViewsTest : public QObject {
    Q_OBJECT

private slots:
    // The window's life: made once, scanned each time it appears, closed by a click on a volume
    // (registered), by a refused duplicate and by Cancel, and centred over its parent.
    void pickerComesBackAfterClosing() {
        Kit kit;
        kit.volumes.mount("KEY", "AAAA-1111");
        DrivePickerWindowController picker(
            {kit.volumes, kit.drives, kit.language, kit.icons, kit.logger});
        picker.show();
        QQuickView* window = picker.window();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->title(), QStringLiteral("Add External Drive"));
        QCOMPARE(window->size(), QSize(480, 360));
        QVERIFY(window->maximumSize().width() > 480); // resizable
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((window->geometry().center() - screen.center()).manhattanLength() <= 2);

        // A real click on the volume's name registers it and closes the window.
        QTRY_COMPARE(visibleItems(window->rootObject(), "name").size(), 1);
        QTest::mouseClick(window, Qt::LeftButton, {},
                          centreOf(visibleItems(window->rootObject(), "name").first()));
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(kit.drives.drives().size(), 1);
        QCOMPARE(kit.drives.drives().first().volumeUUIDString, QStringLiteral("AAAA-1111"));

        // Plugged in while closed: listed when the same window comes back, over its parent.
        kit.volumes.mount("SECOND");
        QWindow parent;
        parent.setGeometry(100, 120, 520, 480);
        picker.show(&parent);
        QCOMPARE(picker.window(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->transientParent(), &parent);
        QVERIFY((window->geometry().center() - parent.geometry().center()).manhattanLength() <= 2);
        QCOMPARE(picker.model()->mountedVolumes().size(), 2);
        // Shown again while open: only brought to the front, the list stays.
        const QUuid firstId = picker.model()->mountedVolumes().first().id;
        picker.show(&parent);
        QCOMPARE(picker.model()->mountedVolumes().first().id, firstId);

        picker.model()->registerVolume(firstId.toString());
        QVERIFY(!window->isVisible());
        QCOMPARE(kit.drives.drives().size(), 1);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window, Qt::LeftButton, {},
                          centreOf(child(window->rootObject(), "cancel")));
        QTRY_VERIFY(!window->isVisible());
        QVERIFY2(kit.logger.lines.filter("failed").isEmpty(),
                 qPrintable(kit.logger.lines.join('\n')));
    }

    // Pictures in <build>/views: the picker empty and with volumes.
    void rendersThePicker() {
        Kit kit;
        for (AppLanguage language : {AppLanguage::english, AppLanguage::japanese}) {
            kit.setLanguage(language);
            for (bool withVolumes : {false, true}) {
                kit.volumes.unmountAll();
                if (withVolumes) {
                    kit.volumes.mount("SANDISK", "AAAA-1111");
                    // Two volumes of one name: the path tells them apart, however long.
                    kit.volumes.volumes.append(MountedVolume{
                        "/run/media/me/Backups of the studio from 2019 to 2024/SANDISK", "SANDISK",
                        "SANDISK", false, false, "1b4e28ba"});
                }
                DrivePickerViewModel model(kit.volumes, kit.drives);
                model.scanVolumes();
                ViewRenderer renderer(kit.language, kit.icons, kit.logger);
                QQuickItem* root = renderer.load(pickerUrl, QSize(480, 360),
                                                 {{"model", QVariant::fromValue(&model)}});
                QVERIFY2(root, qPrintable(renderer.errors()));
                QCOMPARE(child(root, "emptyState")->isVisible(), !withVolumes);
                QTRY_COMPARE(visibleItems(root, "volumeRow").size(), withVolumes ? 2 : 0);
                ViewRenderer::save(renderer.grab(), pictureName(withVolumes ? "drive-picker-volumes"
                                                                            : "drive-picker-empty",
                                                                language));
            }
        }
    }

    // Pictures of the Drives tab, empty and with a mounted, an unmounted and a switched-off
    // drive; then real clicks: Ctrl-click two rows, Delete removes both.
    void rendersTheDrivesTab() {
        Kit kit;
        for (AppLanguage language : {AppLanguage::english, AppLanguage::japanese}) {
            kit.setLanguage(language);
            kit.drives.setDrives({});
            kit.volumes.unmountAll();
            DriveSettingsViewModel model({kit.drives, kit.monitor, {}});
            {
                ViewRenderer renderer(kit.language, kit.icons, kit.logger);
                QQuickItem* root =
                    renderer.load(tabUrl, tabSize, {{"model", QVariant::fromValue(&model)}});
                QVERIFY2(root, qPrintable(renderer.errors()));
                QVERIFY(child(root, "emptyState")->isVisible());
                QVERIFY(child(root, "emptyHint")->width() <= 340);
                ViewRenderer::save(renderer.grab(), pictureName("drives-tab-empty", language));
            }

            kit.volumes.mount("SANDISK", "AAAA-1111");
            kit.volumes.mount("Photos");
            kit.drives.addDrive("SANDISK", "/media/me/SANDISK", QStringLiteral("AAAA-1111"));
            kit.drives.addDrive("Archive", "/media/me/Archive",
                                QStringLiteral("1b4e28ba-2fa1-11d2-883f-0016d3cca427"));
            kit.drives.addDrive("Photos", "/media/me/Photos", std::nullopt);
            kit.drives.toggleDrive(kit.drives.drives().at(2));
            ViewRenderer renderer(kit.language, kit.icons, kit.logger);
            QQuickItem* root =
                renderer.load(tabUrl, tabSize, {{"model", QVariant::fromValue(&model)}});
            QVERIFY2(root, qPrintable(renderer.errors()));
            QTRY_COMPARE(visibleItems(root, "name").size(), 3);
            QCOMPARE(visibleItems(root, "uuid").size(), 2);
            ViewRenderer::save(renderer.grab(), pictureName("drives-tab-drives", language));

            const QList<QQuickItem*> names = visibleItems(root, "name");
            QTest::mouseClick(&renderer.window(), Qt::LeftButton, {}, centreOf(names.at(0)));
            QTest::mouseClick(&renderer.window(), Qt::LeftButton, Qt::ControlModifier,
                              centreOf(names.at(2)));
            QCOMPARE(model.selection(), (QList<int>{0, 2}));
            QTest::keyClick(&renderer.window(), Qt::Key_Delete);
            QCOMPARE(kit.drives.drives().size(), 1);
            QCOMPARE(kit.drives.drives().first().name, QStringLiteral("Archive"));
        }
    }
};

QTEST_MAIN(DriveViewsTest)
#include "DriveViewsTest.moc"
