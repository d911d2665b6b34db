#pragma once

#include "ports/OnboardingWindow.h"

#include <functional>
#include <memory>

class Defaults;
class LanguageManager;
class OnboardingViewModel;
class SelfActivation;

// Shows the welcome walk at start-up until it has been finished once, and applies its
// launch-at-login choice when it is finished.
class OnboardingWindowController {
public:
    struct Dependencies {
        Defaults& defaults;
        LanguageManager& language;
        SelfActivation& selfActivation;
        OnboardingWindowFactory makeWindow;
        // Stores the launch-at-login choice and registers or unregisters the program.
        std::function<void(bool enabled)> saveLaunchAtLogin;
        // Without a tray the last step also says how to reach the program again.
        std::function<bool()> isTrayAvailable;
    };

    explicit OnboardingWindowController(Dependencies dependencies);
    ~OnboardingWindowController();

    void showIfNeeded();
    void show();
    void close();
    // The panic key went off; an open walk shows that it worked.
    void panicKeyPressed();

    bool isShowing() const { return m_window != nullptr; }
    OnboardingViewModel* model() const { return m_model.get(); }

private:
    void complete();

    Dependencies m_deps;
    std::unique_ptr<OnboardingViewModel> m_model;
    std::unique_ptr<OnboardingWindow> m_window;
};
