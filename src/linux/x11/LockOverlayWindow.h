#pragma once

#include "ports/OverlayCards.h"

#include <QQuickWindow>
#include <memory>

class QQmlEngine;
class QQuickItem;
class X11KeyboardGrab;

// One screen's lock overlay: a frameless window over the whole screen and above every other
// window, full-screen ones included, on every desktop, showing the card it was given. Where the
// window manager blurs behind windows (KWin), it asks for that. While it shows it holds the
// keyboard through `keyboard`, so nothing typed reaches the locked application, and it keeps
// clicks from what lies beneath.
class LockOverlayWindow : public OverlayWindow {
public:
    // `throughXWayland`: the X server is a Wayland compositor's XWayland.
    LockOverlayWindow(OverlayCard card, const QRect& screen, bool throughXWayland,
                      std::shared_ptr<X11KeyboardGrab> keyboard, QString appName);
    ~LockOverlayWindow() override;

    void setGeometry(const QRect& screen) override;
    void close() override;

    QQuickWindow& window() { return *m_window; }
    // The card's view inside; null when it did not load.
    QQuickItem* view() const { return m_view.get(); }

private:
    void applyPlatformHints();
    void releaseKeyboard();

    // Declared first: goes last, after everything it made.
    std::shared_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QObject> m_model;
    std::unique_ptr<QQuickItem> m_view;
    std::shared_ptr<X11KeyboardGrab> m_keyboard;
    QString m_appName;
};
