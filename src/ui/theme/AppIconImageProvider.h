#pragma once

#include <QQuickAsyncImageProvider>
#include <memory>

class AppIconSource;
class QObject;

// "image://velmoraappicon/<desktop-file ID>": the application's icon stretched to the requested
// square, or the grey "app.fill" placeholder, clipped to a rounded square (radius size × 0.2237).
// Icons arrive after the view is drawn: a long list shows at once and fills in its icons, each
// looked up on the main thread, where the icon theme may be used.
class AppIconImageProvider : public QQuickAsyncImageProvider {
public:
    static QString providerId() { return QStringLiteral("velmoraappicon"); }
    static constexpr double cornerRatio = 0.2237;

    // Lookups still queued when `engine` goes draw the placeholder: a request in flight keeps the
    // provider itself alive past its engine, but not the icon source.
    AppIconImageProvider(AppIconSource& icons, QObject& engine);
    ~AppIconImageProvider() override;
    QQuickImageResponse* requestImageResponse(const QString& id,
                                              const QSize& requestedSize) override;

private:
    // The finished picture for a desktop-file ID; the placeholder without a source.
    static QImage image(AppIconSource* icons, const QString& desktopId, int side);

    // Shared with the queued lookups; cleared when the provider or its engine goes.
    std::shared_ptr<AppIconSource*> m_icons;
};
