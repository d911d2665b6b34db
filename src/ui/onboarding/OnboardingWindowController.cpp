#include "onboarding/OnboardingWindowController.h"

#include "model/Defaults.h"
#include "onboarding/OnboardingViewModel.h"
#include "ports/SelfActivation.h"

OnboardingWindowController::OnboardingWindowController(Dependencies dependencies)
    : m_deps(std::move(dependencies)) {}

OnboardingWindowController::~OnboardingWindowController() {
    // The view reads the model until its window is gone, and the window goes later.
    close();
}

void OnboardingWindowController::showIfNeeded() {
    if (m_deps.defaults.hasCompletedOnboarding())
        return;
    show();
}

void OnboardingWindowController::show() {
    if (!m_window) {
        const bool trayAvailable = m_deps.isTrayAvailable && m_deps.isTrayAvailable();
        m_model = std::make_unique<OnboardingViewModel>(trayAvailable, [this] { complete(); });
        m_window = m_deps.makeWindow(*m_model, m_deps.language);
    }
    m_window->bringToFront();
    m_deps.selfActivation.activate();
}

void OnboardingWindowController::close() {
    m_window.reset();
    // The button that completed the walk may still be handling its click.
    if (m_model)
        m_model.release()->deleteLater();
}

void OnboardingWindowController::complete() {
    const bool launchAtLogin = m_model->launchAtLogin();
    m_deps.defaults.setHasCompletedOnboarding(true);
    close();
    if (m_deps.saveLaunchAtLogin)
        m_deps.saveLaunchAtLogin(launchAtLogin);
}

void OnboardingWindowController::panicKeyPressed() {
    if (m_model)
        m_model->notePanicKeyPressed();
}
