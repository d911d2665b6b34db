#include "onboarding/OnboardingViewModel.h"

namespace {

QVariantMap infoStepAt(int step) {
    switch (step) {
    case 0:
        return {{QStringLiteral("icon"), QStringLiteral("externaldrive.fill")},
                {QStringLiteral("title"), QStringLiteral("Welcome to Velmora")},
                {QStringLiteral("description"),
                 QStringLiteral("Protect your apps with external drive requirements.\nConnect "
                                "your drive to unlock, disconnect to lock.")}};
    case 2:
        return {{QStringLiteral("icon"), QStringLiteral("externaldrive.badge.plus")},
                {QStringLiteral("title"), QStringLiteral("Add Drives & Apps")},
                {QStringLiteral("description"),
                 QStringLiteral("Open Settings → Drives to add your external drives.\nThen go to "
                                "Apps to link apps to required drives.")}};
    default:
        return {};
    }
}

} // namespace

OnboardingViewModel::OnboardingViewModel(bool isTrayAvailable, std::function<void()> onComplete,
                                         QObject* parent)
    : QObject(parent)
    , m_isTrayAvailable(isTrayAvailable)
    , m_onComplete(std::move(onComplete)) {}

QString OnboardingViewModel::stepKind() const {
    if (m_currentStep == 1)
        return QStringLiteral("panicKey");
    if (isLastStep())
        return QStringLiteral("final");
    return QStringLiteral("info");
}

QVariantMap OnboardingViewModel::infoStep() const {
    return infoStepAt(m_currentStep);
}

QString OnboardingViewModel::buttonTitle() const {
    return isLastStep() ? QStringLiteral("Get Started") : QStringLiteral("Continue");
}

void OnboardingViewModel::setLaunchAtLogin(bool enabled) {
    if (enabled == m_launchAtLogin)
        return;
    m_launchAtLogin = enabled;
    emit launchAtLoginChanged();
}

void OnboardingViewModel::pressButton() {
    if (isLastStep()) {
        if (m_onComplete)
            m_onComplete();
        return;
    }
    ++m_currentStep;
    emit currentStepChanged();
}

void OnboardingViewModel::notePanicKeyPressed() {
    if (m_panicKeyTried)
        return;
    m_panicKeyTried = true;
    emit panicKeyTriedChanged();
}
