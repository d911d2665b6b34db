#pragma once

#include <QString>
#include <functional>
#include <optional>

// The desktop's own way of confirming that the machine's owner is present (password or
// fingerprint, in the desktop's own dialog).
class AuthBackend {
public:
    enum class Result {
        authenticated,
        // The owner cancelled or failed.
        refused,
        // Nobody could be asked: no authentication service or no dialog to ask with.
        unavailable,
    };
    // `error` says why when the result is not `authenticated`.
    using Reply = std::function<void(Result result, const QString& error)>;

    virtual ~AuthBackend() = default;

    // Why the owner cannot be asked right now (possibly an empty text); nullopt when they can.
    virtual std::optional<QString> unavailability() = 0;
    virtual bool hasBiometrics() = 0;
    // Shows the desktop's dialog. `reply` runs exactly once, later, on the main thread.
    virtual void authenticate(const QString& reason, Reply reply) = 0;
};
