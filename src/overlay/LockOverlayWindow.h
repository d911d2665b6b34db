#pragma once

#include "platform/OverlayWindows.h"

#include <QQuickWindow>
#include <memory>

class LockOverlayViewModel;
class Logger;
class QQmlEngine;
class QQuickItem;

// One screen's lock overlay: a frameless window over the whole screen and above every other
// window, full-screen ones included, on every desktop. It never takes keyboard focus, so typing
// goes on to the active application, and it keeps clicks from what lies beneath.
class LockOverlayWindow : public OverlayWindow {
public:
    // Keeps `engine` while it shows.
    LockOverlayWindow(std::shared_ptr<QQmlEngine> engine, const QRect& screen,
                      std::unique_ptr<LockOverlayViewModel> model, Logger& logger);
    ~LockOverlayWindow() override;

    void setGeometry(const QRect& screen) override;
    void close() override;

    QQuickWindow& window() { return *m_window; }
    // The LockOverlayView inside; null when it did not load.
    QQuickItem* view() const { return m_view.get(); }

private:
    void loadView(Logger& logger);
    void applyPlatformHints();

    // Declared first: goes last, after everything it made.
    std::shared_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<LockOverlayViewModel> m_model;
    std::unique_ptr<QQuickItem> m_view;
};
