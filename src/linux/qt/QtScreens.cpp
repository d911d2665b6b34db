#include "qt/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

QtScreens::QtScreens(QObject* parent)
    : QObject(parent) {
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        notifyChanged();
    });
    // Qt still lists the screen while it says it is removed; the list is read after that.
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] {
        QMetaObject::invokeMethod(
            this, [this] { notifyChanged(); }, Qt::QueuedConnection);
    });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { notifyChanged(); });
}

QList<QRect> QtScreens::screens() const {
    QList<QRect> result;
    for (const QScreen* screen : QGuiApplication::screens())
        result.append(screen->geometry());
    return result;
}

QList<QRect> QtScreens::availableAreas() const {
    QList<QRect> result;
    for (const QScreen* screen : QGuiApplication::screens())
        result.append(screen->availableGeometry());
    return result;
}

void QtScreens::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { notifyChanged(); });
}
