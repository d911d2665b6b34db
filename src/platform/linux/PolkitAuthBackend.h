#pragma once

#include "platform/AuthBackend.h"

#include <QDBusConnection>

// Asks polkit to authenticate the user as themselves for the program's own action
// (com.tarnwick.Velmora.quit, "auth_self"), so the desktop's authentication agent shows its
// dialog. Fingerprints count as biometrics when fprintd knows a reader.
class PolkitAuthBackend : public AuthBackend {
public:
    static constexpr const char* actionId = "com.tarnwick.Velmora.quit";

    explicit PolkitAuthBackend(QDBusConnection bus = QDBusConnection::systemBus());

    std::optional<QString> unavailability() override;
    bool hasBiometrics() override;
    void authenticate(const QString& reason, Reply reply) override;

private:
    QDBusConnection m_bus;
};
