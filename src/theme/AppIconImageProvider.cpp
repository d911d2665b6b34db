#include "theme/AppIconImageProvider.h"

#include "platform/AppIconSource.h"
#include "theme/SymbolImageProvider.h"

#include <QPainter>
#include <QPainterPath>
#include <QUrl>

namespace {

const int defaultSize = 64;
// The kit's secondary text colour, which the placeholder is drawn in.
const QColor placeholderColor(142, 142, 147);

QImage clipped(const QImage& content, int side) {
    QImage result(side, side, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double radius = side * AppIconImageProvider::cornerRatio;
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, side, side), radius, radius);
    painter.setClipPath(shape);
    painter.drawImage(QRect(0, 0, side, side), content);
    return result;
}

} // namespace

AppIconImageProvider::AppIconImageProvider(AppIconSource& icons)
    : QQuickImageProvider(QQuickImageProvider::Image)
    , m_icons(icons) {}

QImage AppIconImageProvider::requestImage(const QString& id, QSize* size,
                                          const QSize& requestedSize) {
    const int side = requestedSize.width() > 0 ? requestedSize.width() : defaultSize;
    const QString desktopId = QUrl::fromPercentEncoding(id.toUtf8());
    QImage content = desktopId.isEmpty() ? QImage() : m_icons.icon(desktopId, side);
    if (content.isNull())
        content = SymbolImageProvider::render(QStringLiteral("app.fill"), placeholderColor,
                                              QSize(side, side));
    const QImage result = clipped(content, side);
    if (size)
        *size = result.size();
    return result;
}
