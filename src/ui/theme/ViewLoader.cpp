#include "theme/ViewLoader.h"

#include "ports/Logger.h"

#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>

std::unique_ptr<QQuickItem> ViewLoader::load(QQmlEngine& engine, const QUrl& url, QObject* model,
                                             QQuickWindow& window, Logger& logger,
                                             const QString& failureLine) {
    QQmlComponent component(&engine, url);
    QObject* object = component.createWithInitialProperties(
        {{QStringLiteral("model"), QVariant::fromValue(model)}});
    std::unique_ptr<QQuickItem> view(qobject_cast<QQuickItem*>(object));
    if (!view) {
        delete object;
        logger.log(failureLine.arg(component.errorString().trimmed()));
        return nullptr;
    }
    view->setParentItem(window.contentItem());
    return view;
}
