#include "services/LooseningGuard.h"

#include "model/Defaults.h"
#include "ports/Logger.h"
#include "services/SystemAuthService.h"

LooseningGuard::LooseningGuard(const Defaults& defaults, SystemAuthService& auth, Logger& logger)
    : m_defaults(defaults)
    , m_auth(auth)
    , m_logger(logger) {}

void LooseningGuard::whenAllowed(bool loosens, const std::function<void()>& change,
                                 const std::function<void()>& refused) {
    const auto refuse = [refused] {
        if (refused)
            refused();
    };
    if (!asksFor(loosens)) {
        change();
        return;
    }
    // One dialog at a time: a second change while it is open would be confirmed by the first.
    if (m_isAsking) {
        m_logger.log(QStringLiteral(
            "[Velmora] Protection not lowered: another authentication is in progress"));
        refuse();
        return;
    }
    m_isAsking = true;
    m_auth.authenticate(reason(), [this, change, refuse](AuthBackend::Result result) {
        m_isAsking = false;
        if (result == AuthBackend::Result::authenticated) {
            change();
            return;
        }
        m_logger.log(
            result == AuthBackend::Result::refused
                ? QStringLiteral("[Velmora] Protection not lowered: authentication refused")
                : QStringLiteral("[Velmora] Protection not lowered: nobody could be asked"));
        refuse();
    });
}

bool LooseningGuard::asksFor(bool loosens) const {
    return loosens && m_defaults.appSettings().requirePasswordToQuit;
}

bool LooseningGuard::protects(const ProtectedApp& app) {
    return app.isEnabled && app.hasRequiredDrive();
}

bool LooseningGuard::loosensDriveChoice(const ProtectedApp& app,
                                        const std::optional<QUuid>& driveID) {
    return protects(app) && driveID != app.requiredDriveID;
}

bool LooseningGuard::isNeeded(const ProtectedDrive& drive) const {
    if (!drive.isEnabled)
        return false;
    for (const ProtectedApp& app : m_defaults.protectedApps()) {
        if (protects(app) && app.requiredDriveID == drive.id)
            return true;
    }
    return false;
}
