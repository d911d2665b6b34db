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
    // Choosing these drives for the app: lowers protection when one of them was not already a
    // key of the app, or when none is left. Dropping one of several keys does not.
    bool loosensDriveChoice(const ProtectedApp& app, const QList<QUuid>& driveIDs) const;
    // Switching a drive off lowers protection when it is an app's last key; switching it on
    // does when it becomes one key more of an app still locked by another.
    bool loosensToggling(const ProtectedDrive& drive) const;
    // Removing them all: two keys of one app removed together free it.
    bool loosensRemoving(const QList<ProtectedDrive>& doomed) const;

    bool isAsking() const { return m_isAsking; }
    // The dialog's reason, in the user's language.
    std::function<QString()> reason = [] { return QStringLiteral("Lower Velmora's protection"); };

private:
    // Whether, with the drives as these, some enabled app opens with a drive it did not before.
    bool opensMore(const QList<ProtectedDrive>& drivesAfter) const;

    const Defaults& m_defaults;
    SystemAuthService& m_auth;
    Logger& m_logger;
    bool m_isAsking = false;
};
