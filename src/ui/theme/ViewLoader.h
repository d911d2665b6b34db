#pragma once

#include <QString>
#include <QUrl>
#include <memory>

class Logger;
class QObject;
class QQmlEngine;
class QQuickItem;
class QQuickWindow;

// Makes a window's view from its QML file, with its view model as the `model` property, inside
// the window's content item.
class ViewLoader {
public:
    // Null when the view does not load; `failureLine` (with %1 for Qt's errors) is then logged.
    static std::unique_ptr<QQuickItem> load(QQmlEngine& engine, const QUrl& url, QObject* model,
                                            QQuickWindow& window, Logger& logger,
                                            const QString& failureLine);
};
