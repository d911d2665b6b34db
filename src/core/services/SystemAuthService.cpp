#include "services/SystemAuthService.h"

#include "ports/Logger.h"
#include "ports/Scheduler.h"

SystemAuthService::SystemAuthService(AuthBackend& backend, Scheduler& scheduler, Logger& logger)
    : m_backend(backend)
    , m_scheduler(scheduler)
    , m_logger(logger) {}

// Quitting goes ahead when nobody can be asked; the reason is said once, not at every quit.
bool SystemAuthService::isAvailable() {
    const auto why = m_backend.unavailability();
    if (why && why != m_loggedUnavailability) {
        m_loggedUnavailability = why;
        logUnavailable(*why);
    }
    return !why.has_value();
}

bool SystemAuthService::hasBiometrics() {
    return m_backend.hasBiometrics();
}

void SystemAuthService::authenticate(const QString& reason, Completion completion) {
    if (const auto why = m_backend.unavailability()) {
        logUnavailable(*why);
        complete(std::move(completion), AuthBackend::Result::unavailable);
        return;
    }
    m_backend.authenticate(reason, [this, completion = std::move(completion)](
                                       AuthBackend::Result result, const QString& error) {
        if (result == AuthBackend::Result::refused)
            m_logger.log(QStringLiteral("[Velmora] Quit authentication failed: %1").arg(error));
        if (result == AuthBackend::Result::unavailable)
            logUnavailable(error);
        complete(completion, result);
    });
}

void SystemAuthService::logUnavailable(const QString& why) {
    m_logger.log(QStringLiteral("[Velmora] System authentication unavailable: %1")
                     .arg(why.isEmpty() ? QStringLiteral("unknown reason") : why));
}

void SystemAuthService::complete(Completion completion, AuthBackend::Result result) {
    m_scheduler.runLater([completion = std::move(completion), result] { completion(result); });
}
