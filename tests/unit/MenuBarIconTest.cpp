#include "tray/MenuBarIcon.h"
#include "tray/PanelPlacement.h"

#include <QtTest>

namespace {

using State = MenuBarIcon::State;

QImage drawn(State state, int pixels = 22) {
    return MenuBarIcon::image(state, MenuBarIcon::darkGlyph(), pixels)
        .convertToFormat(QImage::Format_ARGB32);
}

int alphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y));
}

bool hasOrange(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 200 && c.red() > 200 && c.green() > 100 && c.green() < 180 &&
                c.blue() < 60)
                return true;
        }
    return false;
}

} // namespace

class MenuBarIconTest : public QObject {
    Q_OBJECT

private slots:
    void statesDifferWhereTheGlyphDoesAndStaySharp() {
        const QImage idle = drawn(State::idle);
        const QImage active = drawn(State::active);
        const QImage locked = drawn(State::locked);

        // At 22 px the frame is one whole pixel wide, with clear pixels on both sides.
        for (const QImage& image : {idle, active, locked}) {
            QCOMPARE(alphaAt(image, 1, 11), 255);
            QCOMPARE(alphaAt(image, 0, 11), 0);
            QCOMPARE(alphaAt(image, 2, 11), 0);
            QCOMPARE(alphaAt(image, 11, 20), 255);
        }
        // Idle is only the frame; active has a solid keyhole, locked a solid plate with the
        // keyhole cut out, at every tray size: the middle of the keyhole's head tells them apart.
        for (int pixels : {16, 22, 24, 44}) {
            const QImage small[] = {drawn(State::idle, pixels), drawn(State::active, pixels),
                                    drawn(State::locked, pixels)};
            // The head's middle, and a point of the plate left of the keyhole's stem.
            const int centre = pixels / 2;
            const int head = qRound(7.5 * pixels / 18.0);
            const QPoint plate(qRound(5.5 * pixels / 18.0), qRound(11.0 * pixels / 18.0));
            QCOMPARE(alphaAt(small[0], centre, head), 0);
            QCOMPARE(alphaAt(small[1], centre, head), 255);
            QCOMPARE(alphaAt(small[2], centre, head), 0);
            QCOMPARE(alphaAt(small[0], plate.x(), plate.y()), 0);
            QCOMPARE(alphaAt(small[1], plate.x(), plate.y()), 0);
            QCOMPARE(alphaAt(small[2], plate.x(), plate.y()), 255);
        }
        // The orange dot, top right, only when locked.
        QVERIFY(!hasOrange(idle));
        QVERIFY(!hasOrange(active));
        QVERIFY(hasOrange(locked));
        QVERIFY(locked.pixelColor(19, 2).red() > 200);

        const QIcon icon = MenuBarIcon::icon(State::active, MenuBarIcon::lightGlyph());
        for (int pixels : {16, 22, 24, 32, 44, 48, 64})
            QVERIFY(icon.availableSizes().contains(QSize(pixels, pixels)));
    }

    void panelHangsFromTheIconInsideItsScreen() {
        const QList<PanelPlacement::ScreenArea> screens{
            {QRect(0, 0, 1920, 1080), QRect(0, 28, 1920, 1052)},
            {QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 984)}};
        const QSize panel(260, 300);
        // Top bar: below the icon, centred on it.
        QCOMPARE(PanelPlacement::topLeft(QRect(900, 2, 24, 24), panel, screens), QPoint(781, 28));
        // Right edge of the top bar: pushed left to stay on the screen.
        QCOMPARE(PanelPlacement::topLeft(QRect(1890, 2, 24, 24), panel, screens), QPoint(1660, 28));
        // Bottom bar of the second screen: above the pointer, kept out of the bar.
        QCOMPARE(PanelPlacement::topLeft(QRect(3190, 1010, 1, 1), panel, screens),
                 QPoint(2940, 684));
        QCOMPARE(PanelPlacement::screenFor(QRect(3190, 1010, 1, 1), screens), 1);
        // A point off every screen belongs to the nearest.
        QCOMPARE(PanelPlacement::screenFor(QRect(5000, 10, 1, 1), screens), 1);
        QCOMPARE(PanelPlacement::screenFor(QRect(0, 0, 1, 1), {}), -1);
    }
};

QTEST_MAIN(MenuBarIconTest)
#include "MenuBarIconTest.moc"
