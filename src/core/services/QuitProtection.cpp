#include "services/QuitProtection.h"

#include "model/Defaults.h"
#include "ports/Logger.h"
#include "services/SystemAuthService.h"

QuitProtection::QuitProtection(Defaults& defaults, SystemAuthService& auth, Logger& logger)
    : m_defaults(defaults)
    , m_auth(auth)
    , m_logger(logger) {}

TerminateReply QuitProtection::applicationShouldTerminate() {
    if (m_bypassQuitPassword)
        return TerminateReply::terminateNow;
    if (!m_defaults.appSettings().requirePasswordToQuit)
        return TerminateReply::terminateNow;
    if (!m_auth.isAvailable()) {
        refuseUnasked();
        return TerminateReply::terminateCancel;
    }
    // The open dialog keeps answering the first request.
    if (m_isQuitPromptShowing)
        return TerminateReply::terminateCancel;

    m_isQuitPromptShowing = true;
    if (activateApplication)
        activateApplication();
    m_auth.authenticate(quitReason(), [this](AuthBackend::Result result) {
        m_isQuitPromptShowing = false;
        const bool quit = result == AuthBackend::Result::authenticated;
        // Nobody could be asked after all (the dialog service went away).
        if (result == AuthBackend::Result::unavailable)
            refuseUnasked();
        if (replyToApplicationShouldTerminate)
            replyToApplicationShouldTerminate(quit);
    });
    return TerminateReply::terminateLater;
}

void QuitProtection::refuseUnasked() {
    m_logger.log(QStringLiteral("[Velmora] Quit refused: nobody can be asked for authentication"));
    if (explainRefusal)
        explainRefusal();
}
