#pragma once

#include "model/OverlayDismissReason.h"

#include <QRect>
#include <QString>
#include <functional>
#include <memory>

// What one lock overlay shows, and where its only decision goes.
struct OverlayContent {
    QString appName;
    QString bundleIdentifier;
    std::function<void(OverlayDismissReason)> onDismiss;
    // Found running at start-up, started while Velmora was not running: the card says so.
    bool startedWhileAway = false;
};

// One full-screen lock overlay: above every window, swallowing clicks and keys.
class OverlayWindow {
public:
    virtual ~OverlayWindow() = default;
    virtual void setGeometry(const QRect& screen) = 0;
    virtual void close() = 0;
};

// Makes overlay windows and shows them at once; while any shows, no key reaches another program.
class OverlayWindows {
public:
    virtual ~OverlayWindows() = default;
    virtual std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) = 0;
};
