#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QPointer>
#include <functional>
#include <optional>

class PolkitAgentConversation;

// Velmora's own polkit authentication agent, registered for this process only, for when the
// desktop has none. polkit asks it (BeginAuthentication) while one of our own authorization
// checks waits; it relays the password exchange to whoever shows the password window, through
// the signals below, and answers polkit when the exchange ends.
class PolkitSelfAgent : public QDBusVirtualObject {
    Q_OBJECT

public:
    static constexpr const char* objectPath = "/com/tarnwick/Velmora/AuthenticationAgent";
    // nullopt when registered, else why not.
    using Registered = std::function<void(const std::optional<QString>& failure)>;

    explicit PolkitSelfAgent(QDBusConnection bus, QObject* parent = nullptr);
    ~PolkitSelfAgent() override;

    // Registers with polkit unless it already is; every acquire is matched by one release, and
    // the last release unregisters, so the desktop's agent is asked first the next time.
    void acquire(Registered registered);
    void release();

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

    // From the password window.
    void respond(const QString& answer);
    void cancel();

signals:
    // A password window should open.
    void opened();
    void requested(const QString& prompt, bool echo);
    void infoShown(const QString& text);
    void errorShown(const QString& text);
    void attemptFailed(int attemptsLeft);
    // The window should close.
    void closed();

private:
    void registerWithPolkit();
    void registrationAnswered(const QDBusMessage& reply);
    void unregisterFromPolkit();
    void beginAuthentication(const QDBusMessage& message);
    void cancelAuthentication(const QDBusMessage& message);
    void endConversation(bool authenticated);
    void replyError(const QDBusMessage& message, const QString& error) const;

    QDBusConnection m_bus;
    bool m_exported = false;
    bool m_registered = false;
    bool m_registering = false;
    int m_users = 0;
    QList<Registered> m_waiting;
    // Only polkit, as it was when we registered, may ask us.
    QString m_polkitName;
    QDBusMessage m_pending;
    QString m_cookie;
    QPointer<PolkitAgentConversation> m_conversation;
};
