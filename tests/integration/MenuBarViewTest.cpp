#include "about/AboutViewModel.h"
#include "fakes/FakeAppIconSource.h"
#include "support/OverlayModelGraph.h"
#include "support/ViewRenderer.h"
#include "tray/MenuBarIcon.h"
#include "tray/MenuBarViewModel.h"

#include <QPainter>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtMath>
#include <QtTest>

namespace {

const QUrl panelUrl(QStringLiteral("qrc:/qt/qml/Velmora/tray/MenuBarView.qml"));
const QUrl aboutUrl(QStringLiteral("qrc:/qt/qml/Velmora/about/AboutView.qml"));
const QUrl licenseUrl(QStringLiteral("qrc:/qt/qml/Velmora/about/LicenseView.qml"));

QQuickItem* child(QQuickItem* root, const char* name) {
    return root->findChild<QQuickItem*>(QString::fromLatin1(name));
}

QRectF sceneRect(QQuickItem* item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

struct Kit : OverlayModelGraph {
    FakeAppIconSource icons;
    int toggles = 0;
    std::unique_ptr<MenuBarViewModel> panel;
    std::unique_ptr<AboutViewModel> about;
    std::unique_ptr<ViewRenderer> renderer;

    QQuickItem* loadPanel() {
        renderer = std::make_unique<ViewRenderer>(language, icons, logger);
        MenuBarViewModel::Callbacks callbacks;
        callbacks.onToggleProtection = [this] { ++toggles; };
        panel = std::make_unique<MenuBarViewModel>(apps, drives, true, callbacks);
        return renderer->load(panelUrl, QSize(260, 300),
                              {{QStringLiteral("model"), QVariant::fromValue(panel.get())}});
    }
    void setLanguage(AppLanguage chosen) {
        language.changeLanguage(chosen);
        scheduler.advance(0);
    }
    // The panel window takes the view's own height, as the real one does.
    void fitPanel(QQuickItem* root) {
        const int height = qCeil(root->implicitHeight());
        root->setHeight(height);
        renderer->window().resize(260, height);
    }
    QString save(const QString& name) {
        return ViewRenderer::save(renderer->grab(),
                                  name + u'-' + AppLanguages::rawValue(language.currentLanguage()));
    }
};

} // namespace

class MenuBarViewTest : public QObject {
    Q_OBJECT

private slots:
    void panelShowsItsRowsInEveryCase() {
        Kit kit;
        QQuickItem* root = nullptr;
        for (AppLanguage language : {AppLanguage::english, AppLanguage::chinese}) {
            kit.setLanguage(language);
            kit.apps.setApps({});
            kit.drives.setDrives({});
            root = kit.loadPanel();
            QVERIFY2(root, qPrintable(kit.renderer->errors()));
            QVERIFY(!child(root, "drivesRow")->isVisible());
            kit.fitPanel(root);
            kit.save(QStringLiteral("menubar-panel-empty"));

            for (const char* id : {"org.example.Editor", "org.example.Mail", "org.example.Notes"})
                kit.apps.addApp(QString::fromLatin1(id), QString::fromLatin1(id), QString());
            kit.drives.addDrive(QStringLiteral("Vault"), QStringLiteral("/media/vault"),
                                std::nullopt);
            kit.drives.addDrive(QStringLiteral("Spare"), QStringLiteral("/media/spare"),
                                std::nullopt);
            kit.drives.toggleDrive(kit.drives.drives().last());
            QVERIFY(child(root, "drivesRow")->isVisible());
            // The panel ends 8 points under its last row, and counts read right.
            kit.fitPanel(root);
            const qreal below = root->height() - sceneRect(child(root, "quitButton")).bottom();
            QVERIFY2(below >= 8 && below < 9, qPrintable(QString::number(below)));
            if (language == AppLanguage::english) {
                QCOMPARE(child(root, "appsRow")->property("label").toString(),
                         QStringLiteral("3 protected apps"));
                QCOMPARE(child(root, "drivesRow")->property("label").toString(),
                         QStringLiteral("1 external drive"));
            }
            kit.save(QStringLiteral("menubar-panel-full"));

            QQuickItem* settings = child(root, "settingsButton");
            settings->setProperty("isHovered", true);
            const QImage hovered = kit.renderer->grab();
            ViewRenderer::save(hovered, QStringLiteral("menubar-panel-hovered-") +
                                            AppLanguages::rawValue(language));
            const QPointF inRow = sceneRect(settings).topLeft() + QPointF(8, 4);
            QVERIFY(hovered.pixelColor(inRow.toPoint()).lightness() > 35);
            settings->setProperty("isHovered", false);
            QCOMPARE(kit.renderer->grab().pixelColor(inRow.toPoint()), QColor(30, 30, 30));
        }

        // The switch reports a flip; the row follows.
        QQuickItem* toggle = child(root, "protectionSwitch");
        const QPointF track = sceneRect(toggle).center() + QPointF(toggle->width() / 2 - 8, 0);
        QTest::mouseClick(&kit.renderer->window(), Qt::LeftButton, {}, track.toPoint());
        QTRY_COMPARE(kit.toggles, 1);
        QVERIFY(!kit.panel->isProtectionEnabled());
    }

    void aboutAndLicencesRender() {
        Kit kit;
        for (AppLanguage language : {AppLanguage::english, AppLanguage::chinese}) {
            kit.setLanguage(language);
            kit.renderer = std::make_unique<ViewRenderer>(kit.language, kit.icons, kit.logger);
            kit.about = std::make_unique<AboutViewModel>(QStringLiteral(VELMORA_VERSION));
            QQuickItem* root = kit.renderer->load(
                aboutUrl, QSize(360, 380),
                {{QStringLiteral("model"), QVariant::fromValue(kit.about.get())}});
            QVERIFY2(root, qPrintable(kit.renderer->errors()));
            QTRY_COMPARE(child(root, "icon")->property("status").toInt(), 1); // Image.Ready
            kit.save(QStringLiteral("about"));

            auto* sheet = root->findChild<QQuickWindow*>(QStringLiteral("licenseSheet"));
            QVERIFY(sheet && !sheet->isVisible());
            kit.about->setShowLicenses(true);
            QVERIFY(sheet->isVisible());
            sheet->close();
            QTRY_VERIFY(!kit.about->showLicenses());
        }

        ViewRenderer licenses(kit.language, kit.icons, kit.logger);
        QQuickItem* sheet = licenses.load(licenseUrl, QSize(520, 420));
        QVERIFY2(sheet, qPrintable(licenses.errors()));
        sheet->setProperty("text", kit.about->licenseText());
        ViewRenderer::save(licenses.grab(), QStringLiteral("about-licenses"));
        // A long text scrolls under a heading that stays.
        auto* scroller = child(sheet, "scroller");
        QVERIFY(scroller->property("contentHeight").toReal() > scroller->height() * 5);
        QVERIFY(sceneRect(child(sheet, "heading")).bottom() < sceneRect(scroller).top());
    }

    // The three glyphs at the tray sizes (16, 22, 24, HiDPI 44, 64) on a light and a dark panel,
    // and the 16 px ones enlarged four times, for people to look at.
    void trayIconsPicture() {
        const QList<int> sizes{16, 22, 24, 44, 64};
        QImage sheet(1000, 200, QImage::Format_ARGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        const QList<std::pair<QColor, QColor>> panels{
            {QColor(246, 245, 244), MenuBarIcon::darkGlyph()},
            {QColor(36, 36, 36), MenuBarIcon::lightGlyph()}};
        for (int row = 0; row < panels.size(); ++row) {
            painter.fillRect(QRect(0, row * 100, 1000, 100), panels.at(row).first);
            int x = 12;
            for (MenuBarIcon::State state : {MenuBarIcon::State::idle, MenuBarIcon::State::active,
                                             MenuBarIcon::State::locked}) {
                for (int pixels : sizes) {
                    painter.drawImage(QPoint(x, row * 100 + (100 - pixels) / 2),
                                      MenuBarIcon::image(state, panels.at(row).second, pixels));
                    x += pixels + 8;
                }
                const QImage small = MenuBarIcon::image(state, panels.at(row).second, 16);
                painter.drawImage(QPoint(x, row * 100 + 18), small.scaled(64, 64));
                x += 64 + 24;
            }
        }
        painter.end();
        QVERIFY(QFileInfo(ViewRenderer::save(sheet, QStringLiteral("tray-icons"))).size() > 0);
    }
};

QTEST_MAIN(MenuBarViewTest)
#include "MenuBarViewTest.moc"
