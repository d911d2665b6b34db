#pragma once

#include "ports/OverlayWindows.h"

#include <QObject>
#include <functional>
#include <memory>

class QQmlEngine;
class QQuickItem;
class QQuickWindow;

// What a lock window shows: made by the user interface and hosted by the platform's window (an
// X11 window or a layer-shell surface), which knows nothing of what the card says.
struct OverlayCard {
    // Kept while the window shows; every card on screen shares it.
    std::shared_ptr<QQmlEngine> engine;
    std::unique_ptr<QObject> model;
    // The card's view inside `window`, reading `model`; null when it did not load.
    std::function<std::unique_ptr<QQuickItem>(QQuickWindow& window, QObject* model)> loadView;
};

// Makes the cards of the lock windows.
class OverlayCards {
public:
    virtual ~OverlayCards() = default;
    virtual OverlayCard make(OverlayContent content) = 0;
};
