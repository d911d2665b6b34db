#pragma once

#include "dbus/PolkitSelfAgent.h"
#include "ports/AuthBackend.h"

#include <QDBusConnection>
#include <QObject>

// Asks polkit to authenticate the user as themselves for the program's own action
// (com.tarnwick.Velmora.quit, "auth_self"), so the desktop's authentication agent shows its
// dialog; where the desktop has no agent, Velmora's own asks. Fingerprints count as biometrics when
// fprintd knows a reader. Never waits on the bus: what polkit and fprintd said last is kept, and
// asked again in the background.
class PolkitAuthBackend : public QObject, public AuthBackend {
    Q_OBJECT

public:
    static constexpr const char* actionId = "com.tarnwick.Velmora.quit";
    // Long enough for the owner to type a password; a lost agent must not hold a quit forever.
    static constexpr int defaultPromptTimeoutMs = 5 * 60 * 1000;

    explicit PolkitAuthBackend(QDBusConnection bus = QDBusConnection::systemBus(),
                               int promptTimeoutMs = defaultPromptTimeoutMs);

    std::optional<QString> unavailability() override;
    bool hasBiometrics() override;
    void authenticate(const QString& reason, Reply reply) override;

    // Velmora's own agent, whose password window the program shows.
    PolkitSelfAgent& selfAgent() { return m_selfAgent; }

private:
    void ask(Reply reply, bool mayAskItself);
    void askItself(Reply reply);
    void probeAvailability();
    void probeBiometrics();

    QDBusConnection m_bus;
    int m_promptTimeoutMs;
    // Nothing known yet counts as available: the prompt itself then says otherwise.
    std::optional<QString> m_unavailability;
    bool m_probingAvailability = false;
    bool m_hasBiometrics = false;
    bool m_probingBiometrics = false;
    PolkitSelfAgent m_selfAgent;
};
