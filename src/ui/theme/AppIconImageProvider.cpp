#include "theme/AppIconImageProvider.h"

#include "ports/AppIconSource.h"
#include "theme/SymbolImageProvider.h"

#include <QCoreApplication>
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

// Made on the image loader's thread and moved to the main thread, where the icon is looked up
// on a later pass of the event loop; a response dropped before then never looks.
class AppIconResponse : public QQuickImageResponse {
public:
    QQuickTextureFactory* textureFactory() const override {
        return QQuickTextureFactory::textureFactoryForImage(m_image);
    }

    void deliver(QImage image) {
        m_image = std::move(image);
        emit finished();
    }

private:
    QImage m_image;
};

} // namespace

AppIconImageProvider::AppIconImageProvider(AppIconSource& icons, QObject& engine)
    : m_icons(std::make_shared<AppIconSource*>(&icons)) {
    QObject::connect(&engine, &QObject::destroyed, [cell = m_icons] { *cell = nullptr; });
}

AppIconImageProvider::~AppIconImageProvider() {
    *m_icons = nullptr;
}

QQuickImageResponse* AppIconImageProvider::requestImageResponse(const QString& id,
                                                                const QSize& requestedSize) {
    const int side = requestedSize.width() > 0 ? requestedSize.width() : defaultSize;
    const QString desktopId = QUrl::fromPercentEncoding(id.toUtf8());
    auto* response = new AppIconResponse;
    response->moveToThread(QCoreApplication::instance()->thread());
    QMetaObject::invokeMethod(
        response,
        [icons = m_icons, response, desktopId, side] {
            response->deliver(image(*icons, desktopId, side));
        },
        Qt::QueuedConnection);
    return response;
}

QImage AppIconImageProvider::image(AppIconSource* icons, const QString& desktopId, int side) {
    QImage content = !icons || desktopId.isEmpty() ? QImage() : icons->icon(desktopId, side);
    if (content.isNull())
        content = SymbolImageProvider::render(QStringLiteral("app.fill"), placeholderColor,
                                              QSize(side, side));
    return clipped(content, side);
}
