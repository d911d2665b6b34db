#pragma once

#include <functional>
#include <memory>

class LanguageManager;
class OnboardingViewModel;

// The welcome window on screen. Destroying it takes it off the screen.
class OnboardingWindow {
public:
    virtual ~OnboardingWindow() = default;
    // Shows it above ordinary windows, or brings it to the front again.
    virtual void bringToFront() = 0;
};

// Makes the window showing a model in the program's language; the model outlives the window.
using OnboardingWindowFactory = std::function<std::unique_ptr<OnboardingWindow>(
    OnboardingViewModel& model, LanguageManager& language)>;
