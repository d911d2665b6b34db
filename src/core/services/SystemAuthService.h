#pragma once

#include "ports/AuthBackend.h"

class Logger;
class Scheduler;

// Asks the machine's owner to confirm it is them, through the desktop's authentication dialog.
class SystemAuthService {
public:
    using Completion = std::function<void(AuthBackend::Result result)>;

    SystemAuthService(AuthBackend& backend, Scheduler& scheduler, Logger& logger);

    // Whether the owner can be asked at all; when not, nothing should wait for them.
    bool isAvailable();
    bool hasBiometrics();
    // `completion` runs exactly once, on a later turn of the main loop.
    void authenticate(const QString& reason, Completion completion);

private:
    void logUnavailable(const QString& why);
    void complete(Completion completion, AuthBackend::Result result);

    AuthBackend& m_backend;
    Scheduler& m_scheduler;
    Logger& m_logger;
    std::optional<QString> m_loggedUnavailability;
};
