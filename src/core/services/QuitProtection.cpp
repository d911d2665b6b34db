#include "services/QuitProtection.h"

#include "model/Defaults.h"
#include "services/SystemAuthService.h"

QuitProtection::QuitProtection(Defaults& defaults, SystemAuthService& auth)
    : m_defaults(defaults)
    , m_auth(auth) {}

TerminateReply QuitProtection::applicationShouldTerminate() {
    if (m_bypassQuitPassword)
        return TerminateReply::terminateNow;
    if (!m_defaults.appSettings().requirePasswordToQuit || !m_auth.isAvailable())
        return TerminateReply::terminateNow;
    // The open dialog keeps answering the first request.
    if (m_isQuitPromptShowing)
        return TerminateReply::terminateCancel;

    m_isQuitPromptShowing = true;
    if (activateApplication)
        activateApplication();
    m_auth.authenticate(quitReason(), [this](AuthBackend::Result result) {
        m_isQuitPromptShowing = false;
        // Nobody could be asked after all (the dialog service went away): never hold back.
        const bool quit = result != AuthBackend::Result::refused;
        if (replyToApplicationShouldTerminate)
            replyToApplicationShouldTerminate(quit);
    });
    return TerminateReply::terminateLater;
}
