#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>

// The tray glyph, drawn at run time: a rounded square (idle, protection off); with a solid
// keyhole inside (active); with a solid plate, the keyhole cut out of it and an orange dot in the
// corner (locked). Drawn on an 18-point grid and snapped to whole pixels at every size, and made
// of solid shapes rather than hairlines, so the three read apart at 16 px as well as on HiDPI.
class MenuBarIcon {
public:
    enum class State { idle, active, locked };

    // Tray panels differ in colour and do not tint icons: the glyph is dark on a light panel and
    // light otherwise.
    static QColor darkGlyph() { return QColor(32, 32, 32); }
    static QColor lightGlyph() { return QColor(255, 255, 255); }
    static QColor lockedDot() { return QColor(255, 149, 0); }

    // The pixel sizes trays ask for, with 44 and 48 for a 22- or 24-pixel tray at twice the scale.
    static QList<int> sizes() { return {16, 22, 24, 32, 44, 48, 64}; }

    static QImage image(State state, const QColor& glyph, int pixels);
    static QIcon icon(State state, const QColor& glyph);
};
