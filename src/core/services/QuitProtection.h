#pragma once

#include <QString>
#include <functional>

class Defaults;
class Logger;
class SystemAuthService;

// The answers to a request to terminate the program, with the platform's raw values.
enum class TerminateReply { terminateCancel = 0, terminateNow = 1, terminateLater = 2 };

// Decides whether the program may quit: with the setting on, every terminate request waits for
// the owner to authenticate. Where nobody can be asked the request is refused: the panic key,
// `velmora --panic` and the card's time-out still free the screen.
class QuitProtection {
public:
    QuitProtection(Defaults& defaults, SystemAuthService& auth, Logger& logger);

    // `terminateLater` means the answer comes through replyToApplicationShouldTerminate.
    TerminateReply applicationShouldTerminate();

    bool isQuitPromptShowing() const { return m_isQuitPromptShowing; }
    bool bypassQuitPassword() const { return m_bypassQuitPassword; }
    // From now on every request is granted without asking (power-off, a duplicate start).
    void setBypassQuitPassword() { m_bypassQuitPassword = true; }

    // Set by the owner of the program's lifetime: quit on true, keep running on false.
    std::function<void(bool quit)> replyToApplicationShouldTerminate;
    // Brings the program to the front before the dialog appears.
    std::function<void()> activateApplication;
    // The dialog's reason, in the user's language.
    std::function<QString()> quitReason = [] { return QStringLiteral("Quit Velmora"); };
    // Tells the owner why quitting was refused without asking.
    std::function<void()> explainRefusal;

private:
    void refuseUnasked();

    Defaults& m_defaults;
    SystemAuthService& m_auth;
    Logger& m_logger;
    bool m_isQuitPromptShowing = false;
    bool m_bypassQuitPassword = false;
};
