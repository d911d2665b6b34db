#pragma once

#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"

#include <QString>
#include <functional>

class Defaults;
class Logger;
class SystemAuthService;

// Stands in front of every change that lowers protection: with "Require authentication to quit"
// on, such a change waits for the owner to authenticate and is dropped when they do not, or
// cannot. Changes that raise protection, and every change while the setting is off, go through
// at once.
class LooseningGuard {
public:
    LooseningGuard(const Defaults& defaults, SystemAuthService& auth, Logger& logger);

    // Runs `change` when it does not lower protection or the owner confirmed it; runs `refused`
    // otherwise. Either runs at most once, possibly later.
    void whenAllowed(bool loosens, const std::function<void()>& change,
                     const std::function<void()>& refused = {});

    // Whether such a change waits for the owner.
    bool asksFor(bool loosens) const;

    // What lowers protection.
    static bool protects(const ProtectedApp& app);
    static bool loosensDriveChoice(const ProtectedApp& app, const std::optional<QUuid>& driveID);
    // An enabled drive that an enabled app requires.
    bool isNeeded(const ProtectedDrive& drive) const;

    bool isAsking() const { return m_isAsking; }
    // The dialog's reason, in the user's language.
    std::function<QString()> reason = [] { return QStringLiteral("Lower Velmora's protection"); };

private:
    const Defaults& m_defaults;
    SystemAuthService& m_auth;
    Logger& m_logger;
    bool m_isAsking = false;
};
