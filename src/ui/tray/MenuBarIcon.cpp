#include "tray/MenuBarIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace {

constexpr double gridPoints = 18.0;

double snapped(double value) {
    return std::max(1.0, std::round(value));
}

// An inner length centred in `pixels`, rounded so both of its edges fall on whole pixels.
double centredLength(int pixels, double length) {
    return pixels - 2.0 * std::round((pixels - length) / 2.0);
}

void drawOuterFrame(QPainter& painter, int pixels, double scale, const QColor& glyph) {
    const double line = snapped(1.2 * scale);
    const double edge = std::round(scale);
    const double inset = edge + line / 2;
    painter.setPen(QPen(glyph, line));
    painter.setBrush(Qt::NoBrush);
    const double radius = 3.5792 * scale;
    painter.drawRoundedRect(QRectF(inset, inset, pixels - 2 * inset, pixels - 2 * inset), radius,
                            radius);
}

QRectF innerRect(int pixels, double scale) {
    const double width = centredLength(pixels, 10 * scale);
    const double height = centredLength(pixels, 8 * scale);
    return QRectF((pixels - width) / 2, (pixels - height) / 2, width, height);
}

// A solid keyhole, centred: a round head and a stem of whole pixels, so it stays a clear shape
// down to 16 px. Drawn with `glyph`, or cut out of what is under it with a clear pen.
void drawKeyhole(QPainter& painter, int pixels, double scale, double size) {
    const double centreX = pixels / 2.0;
    const double headY = std::round(7.5 * scale);
    const double radius = std::max(2.0, 2.6 * scale * size);
    const double stemWidth = centredLength(pixels, std::max(2.0, 2.2 * scale * size));
    const double stemBottom = std::round(headY + 4.8 * scale * size);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(centreX, headY), radius, radius);
    painter.drawRect(QRectF(centreX - stemWidth / 2, headY, stemWidth, stemBottom - headY));
}

void drawActive(QPainter& painter, int pixels, double scale, const QColor& glyph) {
    painter.setBrush(glyph);
    drawKeyhole(painter, pixels, scale, 1.0);
}

// The keyhole shut behind a solid plate, with the orange status dot in the top-right corner.
void drawLocked(QPainter& painter, int pixels, double scale, const QColor& glyph) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(glyph);
    painter.drawRoundedRect(innerRect(pixels, scale), 1.5 * scale, 1.5 * scale);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setBrush(Qt::black);
    drawKeyhole(painter, pixels, scale, 0.7);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(MenuBarIcon::lockedDot());
    painter.drawEllipse(QRectF(13 * scale, 0, 5 * scale, 5 * scale));
}

} // namespace

QImage MenuBarIcon::image(State state, const QColor& glyph, int pixels) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = pixels / gridPoints;
    drawOuterFrame(painter, pixels, scale, glyph);
    if (state == State::active)
        drawActive(painter, pixels, scale, glyph);
    if (state == State::locked)
        drawLocked(painter, pixels, scale, glyph);
    return image;
}

QIcon MenuBarIcon::icon(State state, const QColor& glyph) {
    QIcon icon;
    for (int pixels : sizes())
        icon.addPixmap(QPixmap::fromImage(image(state, glyph, pixels)));
    return icon;
}
