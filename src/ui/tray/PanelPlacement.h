#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where the tray panel goes: centred on the icon (or the point clicked), hanging below it when
// the icon is in the upper half of its screen and above it otherwise, pushed inside that
// screen's free area (the part panels and docks leave).
class PanelPlacement {
public:
    struct ScreenArea {
        QRect geometry;
        QRect available;
    };

    // The index of the screen holding `anchor`, the nearest one when none does; -1 without
    // screens.
    static int screenFor(const QRect& anchor, const QList<ScreenArea>& screens);
    static QPoint topLeft(const QRect& anchor, QSize panel, const QList<ScreenArea>& screens);
};
