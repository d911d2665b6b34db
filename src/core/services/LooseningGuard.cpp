#include "services/LooseningGuard.h"

#include "model/AppKeys.h"
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
                                        const QList<QUuid>& driveIDs) const {
    if (!app.isEnabled)
        return false;
    ProtectedApp after = app;
    after.setRequiredDriveIDs(driveIDs);
    const QList<ProtectedDrive> drives = m_defaults.protectedDrives();
    return AppKeys(after, drives).opensMoreThan(AppKeys(app, drives));
}

bool LooseningGuard::loosensToggling(const ProtectedDrive& drive) const {
    QList<ProtectedDrive> after = m_defaults.protectedDrives();
    for (ProtectedDrive& each : after) {
        if (each.id == drive.id)
            each.isEnabled = !drive.isEnabled;
    }
    return opensMore(after);
}

bool LooseningGuard::loosensRemoving(const QList<ProtectedDrive>& doomed) const {
    QList<ProtectedDrive> after = m_defaults.protectedDrives();
    after.removeIf([&](const ProtectedDrive& each) {
        return std::any_of(doomed.begin(), doomed.end(),
                           [&](const ProtectedDrive& drive) { return drive.id == each.id; });
    });
    return opensMore(after);
}

bool LooseningGuard::opensMore(const QList<ProtectedDrive>& drivesAfter) const {
    const QList<ProtectedDrive> drives = m_defaults.protectedDrives();
    for (const ProtectedApp& app : m_defaults.protectedApps()) {
        if (app.isEnabled && AppKeys(app, drivesAfter).opensMoreThan(AppKeys(app, drives)))
            return true;
    }
    return false;
}
