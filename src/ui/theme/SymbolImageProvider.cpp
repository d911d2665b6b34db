#include "theme/SymbolImageProvider.h"

#include "ports/Logger.h"
#include "theme/SymbolCatalog.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {

const QSize defaultSize(32, 32);

} // namespace

QImage SymbolImageProvider::render(const QString& name, const QColor& color, QSize size) {
    const QString path = SymbolCatalog::filePath(name);
    if (path.isEmpty())
        return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    // The glyphs are single-colour shapes: keep their coverage, replace their colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    return image;
}

SymbolImageProvider::SymbolImageProvider(Logger& logger)
    : QQuickImageProvider(QQuickImageProvider::Image)
    , m_logger(logger) {}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size,
                                         const QSize& requestedSize) {
    const qsizetype slash = id.lastIndexOf(u'/');
    const QString name = id.left(slash);
    const QColor color(u'#' + id.mid(slash + 1));
    const int width = requestedSize.width() > 0 ? requestedSize.width() : defaultSize.width();
    const QSize target(width, requestedSize.height() > 0 ? requestedSize.height() : width);
    const QImage image = render(name, color.isValid() ? color : QColor(Qt::black), target);
    if (image.isNull())
        m_logger.log(QStringLiteral("[Velmora] Symbol \"%1\" could not be drawn").arg(name));
    if (size)
        *size = image.size();
    return image;
}
