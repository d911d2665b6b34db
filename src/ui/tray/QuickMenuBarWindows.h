#pragma once

#include "ports/MenuBarWindows.h"

#include <QQmlEngine>
#include <memory>

class AppIconSource;
class LanguageManager;
class Logger;

// The tray's Qt Quick windows. Their QML engine is made with the first window, so a program
// that never opens one never loads QML for them.
class QuickMenuBarWindows : public MenuBarWindows {
public:
    QuickMenuBarWindows(LanguageManager& language, AppIconSource& icons, Logger& logger);
    ~QuickMenuBarWindows() override;

    std::unique_ptr<MenuBarPanel> makePanel(MenuBarViewModel& model) override;
    std::unique_ptr<ReusableWindow> makeAboutWindow(AboutViewModel& model) override;

private:
    QQmlEngine& engine();

    LanguageManager& m_language;
    AppIconSource& m_icons;
    Logger& m_logger;
    std::unique_ptr<QQmlEngine> m_engine;
};
