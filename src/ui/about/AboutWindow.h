#pragma once

#include "ports/MenuBarWindows.h"

#include <QQuickWindow>
#include <memory>

class AboutViewModel;
class LanguageManager;
class Logger;
class QQmlEngine;
class QQuickItem;

// The About window: 360 × 380, titled, closable, not resizable. Closing only hides it; the next
// request shows the same window again.
class AboutWindow : public ReusableWindow {
public:
    static QSize windowSize() { return {360, 380}; }

    AboutWindow(QQmlEngine& engine, AboutViewModel& model, LanguageManager& language,
                Logger& logger);
    ~AboutWindow() override;

    void present() override;
    QQuickWindow& window() { return *m_window; }

private:
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_view;
    bool m_wasShown = false;
};
