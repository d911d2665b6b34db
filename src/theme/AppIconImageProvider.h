#pragma once

#include <QQuickImageProvider>

class AppIconSource;

// "image://velmoraappicon/<desktop-file ID>": the application's icon stretched to the requested
// square, or the grey "app.fill" placeholder, clipped to a rounded square (radius size × 0.2237).
class AppIconImageProvider : public QQuickImageProvider {
public:
    static QString providerId() { return QStringLiteral("velmoraappicon"); }
    static constexpr double cornerRatio = 0.2237;

    explicit AppIconImageProvider(AppIconSource& icons);
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    AppIconSource& m_icons;
};
