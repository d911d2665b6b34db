#pragma once

#include <QQuickImageProvider>

class Logger;

// "image://velmorasymbol/<name>/<aarrggbb>": a symbol of the catalog drawn in one colour.
class SymbolImageProvider : public QQuickImageProvider {
public:
    static QString providerId() { return QStringLiteral("velmorasymbol"); }
    // A symbol rendered at `size` pixels, its shape filled with `color`; a null image for an
    // unknown or missing symbol.
    static QImage render(const QString& name, const QColor& color, QSize size);

    explicit SymbolImageProvider(Logger& logger);
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    Logger& m_logger;
};
