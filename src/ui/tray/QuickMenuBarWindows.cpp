#include "tray/QuickMenuBarWindows.h"

#include "about/AboutWindow.h"
#include "theme/ThemeModule.h"
#include "tray/MenuBarPanelWindow.h"

QuickMenuBarWindows::QuickMenuBarWindows(LanguageManager& language, AppIconSource& icons,
                                         Logger& logger)
    : m_language(language)
    , m_icons(icons)
    , m_logger(logger) {}

QuickMenuBarWindows::~QuickMenuBarWindows() = default;

std::unique_ptr<MenuBarPanel> QuickMenuBarWindows::makePanel(MenuBarViewModel& model) {
    return std::make_unique<MenuBarPanelWindow>(engine(), model, m_logger);
}

std::unique_ptr<ReusableWindow> QuickMenuBarWindows::makeAboutWindow(AboutViewModel& model) {
    return std::make_unique<AboutWindow>(engine(), model, m_language, m_logger);
}

QQmlEngine& QuickMenuBarWindows::engine() {
    if (!m_engine) {
        m_engine = std::make_unique<QQmlEngine>();
        ThemeModule::install(*m_engine, m_language, m_icons, m_logger);
    }
    return *m_engine;
}
