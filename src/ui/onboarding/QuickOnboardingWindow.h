#pragma once

#include "ports/OnboardingWindow.h"

#include <QPointer>
#include <QQmlEngine>
#include <QQuickWindow>

class AppIconSource;
class LanguageManager;
class Logger;

// The welcome window in Qt Quick: titled, without close, minimise or resize controls, above
// ordinary windows, with an engine of its own that goes away with it.
class QuickOnboardingWindow : public OnboardingWindow {
public:
    QuickOnboardingWindow(OnboardingViewModel& model, LanguageManager& language,
                          AppIconSource& icons, Logger& logger);
    ~QuickOnboardingWindow() override;

    void bringToFront() override;

    QQuickWindow* window() const { return m_window; }

private:
    QPointer<QQmlEngine> m_engine;
    QPointer<QQuickWindow> m_window;
};
