#pragma once

#include "ports/SettingsWindows.h"

#include <QQmlEngine>
#include <memory>

class AppIconSource;
class LanguageManager;
class Logger;

// Makes the settings window in Qt Quick. Its QML engine is made with the first window.
class QuickSettingsWindows : public SettingsWindows {
public:
    QuickSettingsWindows(LanguageManager& language, AppIconSource& icons, Logger& logger);
    ~QuickSettingsWindows() override;

    std::unique_ptr<SettingsWindow> create(const QString& title, const QSize& contentSize,
                                           QObject& viewModel) override;

private:
    LanguageManager& m_language;
    AppIconSource& m_icons;
    Logger& m_logger;
    std::unique_ptr<QQmlEngine> m_engine;
};
