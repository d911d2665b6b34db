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

void drawActive(QPainter& painter, int pixels, double scale, const QColor& glyph) {
    const double line = snapped(1.2 * scale);
    const QRectF inner = innerRect(pixels, scale);
    painter.setPen(QPen(glyph, line));
    painter.setBrush(Qt::NoBrush);
    const double half = line / 2;
    painter.drawRoundedRect(inner.adjusted(half, half, -half, -half), 1.5 * scale, 1.5 * scale);

    const QPointF centre(pixels / 2.0, pixels / 2.0);
    const double thin = 0.8 * scale;
    painter.setPen(QPen(glyph, thin, Qt::SolidLine, Qt::RoundCap));
    painter.drawEllipse(centre, 2.5 * scale, 2.5 * scale);
    painter.drawLine(centre + QPointF(-1 * scale, 3 * scale),
                     centre + QPointF(1 * scale, -1 * scale));
}

void drawLocked(QPainter& painter, int pixels, double scale, const QColor& glyph) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(glyph);
    painter.drawRoundedRect(innerRect(pixels, scale), 1.5 * scale, 1.5 * scale);
    const QPointF centre(pixels / 2.0, pixels / 2.0);
    painter.setBrush(QColor::fromRgbF(0.6f, 0.6f, 0.65f, 0.6f));
    painter.drawEllipse(centre, 2.5 * scale, 2.5 * scale);
    // The status dot keeps its own colour in the top-right corner.
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
