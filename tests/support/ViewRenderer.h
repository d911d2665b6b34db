#pragma once

#include <QImage>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QUrl>
#include <QVariantMap>
#include <memory>

class AppIconSource;
class LanguageManager;
class Logger;
class QQuickItem;

// Shows a QML view in an offscreen window at a given size, with the style kit installed, so a
// test can look at its items, click it, and save what it draws as a PNG in the build folder.
// One view per renderer.
class ViewRenderer {
public:
    ViewRenderer(LanguageManager& language, AppIconSource& icons, Logger& logger);
    ~ViewRenderer();

    // The view's root item, sized to `size`; null when the view does not load (see errors()).
    QQuickItem* load(const QUrl& url, QSize size, const QVariantMap& properties = {});
    QQuickItem* loadText(const QByteArray& qml, QSize size);
    QString errors() const { return m_errors; }

    QQuickWindow& window() { return *m_window; }
    QQmlEngine& engine() { return m_engine; }
    // Lets pending work (bindings, image loads) finish, then draws the window.
    QImage grab();
    // Writes the picture to <build>/views/<name>.png and returns the path.
    static QString save(const QImage& image, const QString& name);

private:
    QQuickItem* show(QObject* object, QSize size);

    QQmlEngine m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    QString m_errors;
};
