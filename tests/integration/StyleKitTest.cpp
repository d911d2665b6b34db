#include "fakes/CapturingLogger.h"
#include "fakes/FakeAppIconSource.h"
#include "fakes/FakeScheduler.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "services/LanguageManager.h"
#include "support/ViewRenderer.h"
#include "theme/SymbolCatalog.h"

#include <QPainterPath>
#include <QQuickItem>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

struct Kit {
    MemoryStore store;
    CapturingLogger logger;
    FakeScheduler scheduler;
    Defaults defaults{store, logger};
    LanguageManager language{defaults, scheduler, logger};
    FakeAppIconSource icons;
    ViewRenderer renderer{language, icons, logger};
};

QByteArray view(const char* body, const char* background = "black") {
    return QByteArray("import QtQuick\nimport Velmora.Theme\nRectangle { color: \"") + background +
           "\"\n" + body + "\n}";
}

QQuickItem* child(QQuickItem* root, const char* objectName) {
    return root->findChild<QQuickItem*>(QString::fromLatin1(objectName));
}

QRectF sceneRect(QQuickItem* item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

bool near(const QColor& a, const QColor& b, int tolerance = 12) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

QImage filled(const QColor& color) {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

const QColor gold(255, 210, 19);
const QColor iconRed(200, 40, 40);

} // namespace

class StyleKitTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_kit = std::make_unique<Kit>(); }
    void cleanup() { m_kit.reset(); }

    // Pictures of the whole kit in each language, in <build>/views, for people to look at.
    void rendersGalleryInEveryLanguage() {
        m_kit->icons.icons.insert(QStringLiteral("org.example.Gallery"), filled(iconRed));
        QQuickItem* root = m_kit->renderer.load(
            QUrl::fromLocalFile(QStringLiteral(VELMORA_TEST_DATA "/KitGallery.qml")),
            QSize(860, 720), {{QStringLiteral("symbols"), SymbolCatalog::names()}});
        QVERIFY2(root, qPrintable(m_kit->renderer.errors()));
        for (AppLanguage language : {AppLanguage::english, AppLanguage::chinese,
                                     AppLanguage::japanese, AppLanguage::korean}) {
            m_kit->language.changeLanguage(language);
            m_kit->scheduler.advance(0);
            const QImage image = m_kit->renderer.grab();
            QVERIFY(!image.isNull());
            ViewRenderer::save(image,
                               QStringLiteral("kit-gallery-") + AppLanguages::rawValue(language));
        }
        QVERIFY2(m_kit->logger.lines.isEmpty(), qPrintable(m_kit->logger.lines.join(u'\n')));
    }

    // Bindings that look texts up run again once the language has changed, with the new tables.
    void textsFollowALanguageChange() {
        QQuickItem* root = m_kit->renderer.loadText(view(R"(
            Text { objectName: "label"; text: Texts.t("%lld selected", [2]) })"),
                                                    QSize(100, 30));
        QVERIFY2(root, qPrintable(m_kit->renderer.errors()));
        QQuickItem* label = child(root, "label");
        QCOMPARE(label->property("text").toString(), QStringLiteral("2 selected"));
        m_kit->language.changeLanguage(AppLanguage::korean);
        m_kit->scheduler.advance(0);
        QCOMPARE(label->property("text").toString(), QStringLiteral("2개 선택됨"));
        m_kit->language.changeLanguage(AppLanguage::chinese);
        m_kit->scheduler.advance(0);
        QCOMPARE(label->property("text").toString(), QStringLiteral("已选择 2 个"));
    }

    void switchHasItsTwoSizesAndKnobAtTheRightEnd() {
        QQuickItem* root = m_kit->renderer.loadText(view(R"(
            GoldSwitchStyle { objectName: "regularOff"; x: 10; y: 10 }
            GoldSwitchStyle { objectName: "regularOn"; x: 60; y: 10; checked: true }
            GoldSwitchStyle { objectName: "smallOff"; x: 10; y: 50; small: true }
            GoldSwitchStyle { objectName: "smallOn"; x: 60; y: 50; small: true; checked: true })"),
                                                    QSize(110, 80));
        QVERIFY2(root, qPrintable(m_kit->renderer.errors()));
        const QImage image = m_kit->renderer.grab();
        ViewRenderer::save(image, QStringLiteral("gold-switch-states"));

        struct Case {
            const char* name;
            QSizeF track;
            qreal knob;
            bool on;
        };
        for (const Case& c :
             {Case{"regularOff", {38, 22}, 18, false}, Case{"regularOn", {38, 22}, 18, true},
              Case{"smallOff", {32, 18}, 14, false}, Case{"smallOn", {32, 18}, 14, true}}) {
            QQuickItem* control = child(root, c.name);
            QVERIFY(control);
            const QRectF track = sceneRect(child(control, "track"));
            const QRectF knob = sceneRect(child(control, "knob"));
            QCOMPARE(track.size(), c.track);
            QCOMPARE(knob.size(), QSizeF(c.knob, c.knob));
            // Two points of padding around the knob; it sits at the leading end when off.
            QCOMPARE(knob.top() - track.top(), 2.0);
            QCOMPARE(c.on ? track.right() - knob.right() : knob.left() - track.left(), 2.0);
            // Gold shows in the free part of the track only when on; the knob is white.
            const int freeX = c.on ? int(track.left()) + 5 : int(track.right()) - 6;
            QCOMPARE(near(image.pixelColor(freeX, int(track.center().y())), gold), c.on);
            QVERIFY(near(image.pixelColor(knob.center().toPoint()), Qt::white));
        }
    }

    void tapOnTheSwitchFlipsItWithAnimationButTapOnTheLabelDoesNot() {
        QQuickItem* root = m_kit->renderer.loadText(view(R"(
            GoldSwitchStyle { objectName: "control"; x: 10; y: 10; width: 200; label: "Label" })"),
                                                    QSize(220, 40));
        QVERIFY2(root, qPrintable(m_kit->renderer.errors()));
        QQuickItem* control = child(root, "control");
        QQuickItem* knob = child(control, "knob");
        QSignalSpy toggled(control, SIGNAL(toggled(bool)));
        m_kit->renderer.grab();

        QTest::mouseClick(&m_kit->renderer.window(), Qt::LeftButton, {},
                          sceneRect(child(control, "label")).center().toPoint());
        QCOMPARE(control->property("checked").toBool(), false);
        QCOMPARE(toggled.count(), 0);

        QTest::mouseClick(&m_kit->renderer.window(), Qt::LeftButton, {},
                          sceneRect(child(control, "track")).center().toPoint());
        QCOMPARE(control->property("checked").toBool(), true);
        QCOMPARE(toggled.count(), 1);
        QCOMPARE(toggled.first().first().toBool(), true);
        // The knob is on its way, not there yet, and arrives at the trailing end.
        QVERIFY(knob->x() < 18.0);
        QTRY_COMPARE_WITH_TIMEOUT(knob->x(), 18.0, 2000);
    }

    void buttonWithoutIconShowsOnlyItsTitleWithoutGap() {
        QQuickItem* root = m_kit->renderer.loadText(view(R"(
            PrimaryButton { objectName: "plain"; x: 10; y: 10; title: "Add Selected" }
            PrimaryButton { objectName: "withIcon"; x: 10; y: 60; title: "Add Selected"; icon: "plus" })"),
                                                    QSize(220, 110));
        QVERIFY2(root, qPrintable(m_kit->renderer.errors()));
        const QImage image = m_kit->renderer.grab();
        ViewRenderer::save(image, QStringLiteral("primary-buttons"));

        QQuickItem* plain = child(root, "plain");
        QQuickItem* withIcon = child(root, "withIcon");
        QVERIFY(!child(plain, "icon")->isVisible());
        const QRectF button = sceneRect(plain);
        const QRectF title = sceneRect(child(plain, "title"));
        // The title alone, 24 points from either side and 10 from the top.
        QCOMPARE(title.left() - button.left(), 24.0);
        QCOMPARE(button.right() - title.right(), 24.0);
        QCOMPARE(title.top() - button.top(), 10.0);
        QCOMPARE(withIcon->width() - plain->width(), child(withIcon, "icon")->width() + 8);
        QVERIFY(near(image.pixelColor(button.topLeft().toPoint() + QPoint(6, 6)), gold));
    }

    void appIconShowsTheIconOrTheGreyPlaceholderClippedAlike() {
        m_kit->icons.icons.insert(QStringLiteral("org.example.Red"), filled(iconRed));
        QQuickItem* root = m_kit->renderer.loadText(view(R"(
            AppIconView { x: 0; y: 0; bundleIdentifier: "org.example.Red"; size: 64 }
            AppIconView { x: 80; y: 0; bundleIdentifier: "org.example.Missing"; size: 64 })",
                                                         "white"),
                                                    QSize(144, 64));
        QVERIFY2(root, qPrintable(m_kit->renderer.errors()));
        const QImage image = m_kit->renderer.grab();
        ViewRenderer::save(image, QStringLiteral("app-icons"));

        QVERIFY(near(image.pixelColor(32, 32), iconRed));
        QVERIFY(near(image.pixelColor(80 + 32, 32), QColor(142, 142, 147)));
        QVERIFY(m_kit->icons.requests.contains(QStringLiteral("org.example.Missing")));
        // Both are clipped to a rounded square of radius 64 × 0.2237 ≈ 14.3: in the top-left
        // corner, white (the background) shows exactly outside that arc.
        const qreal radius = 14.3;
        for (int left : {0, 80}) {
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const qreal fromCentre = std::hypot(radius - (x + 0.5), radius - (y + 0.5));
                    const bool outside =
                        x + 0.5 < radius && y + 0.5 < radius && fromCentre > radius;
                    if (qAbs(fromCentre - radius) < 1.0)
                        continue; // anti-aliased edge
                    const bool white = near(image.pixelColor(left + x, y), Qt::white, 30);
                    QVERIFY2(
                        white == outside,
                        qPrintable(
                            QStringLiteral("icon at %1, pixel %2,%3").arg(left).arg(x).arg(y)));
                }
            }
        }
    }

private:
    std::unique_ptr<Kit> m_kit;
};

QTEST_MAIN(StyleKitTest)
#include "StyleKitTest.moc"
