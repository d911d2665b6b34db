#pragma once

#include <QObject>
#include <memory>

class AppIconSource;
class LanguageManager;
class Logger;
class PasswordPromptViewModel;
class QQmlEngine;
class QQuickItem;
class QQuickWindow;

// Velmora's own password window: 400 × 250, above other windows, shown while its model is open.
// The window and its QML engine are made the first time it opens. Closing it with the window
// manager's button is Cancel.
class PasswordPromptWindow : public QObject {
    Q_OBJECT

public:
    static QSize windowSize();

    PasswordPromptWindow(PasswordPromptViewModel& model, LanguageManager& language,
                         AppIconSource& icons, Logger& logger);
    ~PasswordPromptWindow() override;

    // Null until it first opens.
    QQuickWindow* window() { return m_window.get(); }

private:
    void follow();
    void make();

    PasswordPromptViewModel& m_model;
    LanguageManager& m_language;
    AppIconSource& m_icons;
    Logger& m_logger;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_view;
};
