#pragma once

#include <QObject>
#include <QVariantMap>
#include <functional>

// The welcome walk: which of the four steps shows, what the footer's button says and does, and
// the final step's launch-at-login switch. Steps only go forward.
class OnboardingViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(int currentStep READ currentStep NOTIFY currentStepChanged)
    Q_PROPERTY(int totalSteps READ totalSteps CONSTANT)
    Q_PROPERTY(QString stepKind READ stepKind NOTIFY currentStepChanged)
    Q_PROPERTY(QVariantMap infoStep READ infoStep NOTIFY currentStepChanged)
    Q_PROPERTY(QString buttonTitle READ buttonTitle NOTIFY currentStepChanged)
    Q_PROPERTY(
        bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(bool isTrayAvailable READ isTrayAvailable CONSTANT)
    // The panic key was pressed while the walk was open: its step says it worked.
    Q_PROPERTY(bool panicKeyTried READ panicKeyTried NOTIFY panicKeyTriedChanged)

public:
    static constexpr int stepCount = 4;

    OnboardingViewModel(bool isTrayAvailable, std::function<void()> onComplete,
                        QObject* parent = nullptr);

    int currentStep() const { return m_currentStep; }
    int totalSteps() const { return stepCount; }
    // "info", "panicKey" or "final".
    QString stepKind() const;
    // icon, title and description keys of a text step; empty on the other steps.
    QVariantMap infoStep() const;
    QString buttonTitle() const;
    bool launchAtLogin() const { return m_launchAtLogin; }
    void setLaunchAtLogin(bool enabled);
    bool isTrayAvailable() const { return m_isTrayAvailable; }
    bool panicKeyTried() const { return m_panicKeyTried; }
    void notePanicKeyPressed();

    // The footer's button: the next step, or completion on the last one.
    Q_INVOKABLE void pressButton();

signals:
    void currentStepChanged();
    void launchAtLoginChanged();
    void panicKeyTriedChanged();

private:
    bool isLastStep() const { return m_currentStep == stepCount - 1; }

    const bool m_isTrayAvailable;
    std::function<void()> m_onComplete;
    int m_currentStep = 0;
    bool m_launchAtLogin = true;
    bool m_panicKeyTried = false;
};
