#pragma once

#include "onboarding/OnboardingWindow.h"

#include <QString>
#include <functional>
#include <memory>

class Defaults;
class LanguageManager;
class Logger;
class OnboardingViewModel;
class SelfActivation;

// Shows the welcome walk at start-up until it has been finished once, and applies its
// launch-at-login choice when it is finished.
class OnboardingWindowController {
public:
    struct Dependencies {
        Defaults& defaults;
        LanguageManager& language;
        Logger& logger;
        SelfActivation& selfActivation;
        OnboardingWindowFactory makeWindow;
        // Registers (true) or unregisters (false) the program at login; the error text, or empty.
        std::function<QString(bool enabled)> applyLoginItem;
        // Without a tray the last step also says how to reach the program again.
        std::function<bool()> isTrayAvailable;
    };

    explicit OnboardingWindowController(Dependencies dependencies);
    ~OnboardingWindowController();

    void showIfNeeded();
    void show();
    void close();

    bool isShowing() const { return m_window != nullptr; }
    OnboardingViewModel* model() const { return m_model.get(); }

private:
    void complete();
    void saveLaunchAtLogin(bool enabled);

    Dependencies m_deps;
    std::unique_ptr<OnboardingViewModel> m_model;
    std::unique_ptr<OnboardingWindow> m_window;
};
