#pragma once

#include "ports/UpdateWindow.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <memory>

class AppIconSource;
class LanguageManager;
class Logger;

// The update window in Qt Quick; it and its QML engine are made on the first showing, then kept.
class QuickUpdateWindow : public UpdateWindow {
public:
    static inline const QSize windowSize{420, 260};

    QuickUpdateWindow(LanguageManager& language, AppIconSource& icons, Logger& logger);
    ~QuickUpdateWindow() override;

    bool isProgramActive() const override;
    void show(QObject& model) override;
    void openLink(const QUrl& url) override;

private:
    void make(QObject& model);

    LanguageManager& m_language;
    AppIconSource& m_icons;
    Logger& m_logger;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_view;
};
