#pragma once

#include <QObject>
#include <QString>

struct _PolkitAgentSession;

// One password exchange for one polkit request: runs polkit's setuid helper, which talks to PAM
// and tells polkit itself when the password was right, and relays PAM's questions and remarks.
// A wrong password starts the helper again, up to `maxAttempts` times.
class PolkitAgentConversation : public QObject {
    Q_OBJECT

public:
    static constexpr int maxAttempts = 3;

    PolkitAgentConversation(uint uid, QString cookie, QObject* parent = nullptr);
    ~PolkitAgentConversation() override;

    void start();
    // Ends it as refused; `finished(false)` follows.
    void cancel();
    void respond(const QString& answer);

signals:
    void requested(const QString& prompt, bool echo);
    void infoShown(const QString& text);
    void errorShown(const QString& text);
    // The password was wrong and the owner may try again.
    void attemptFailed(int attemptsLeft);
    // Exactly once.
    void finished(bool authenticated);

private:
    static void onRequest(_PolkitAgentSession* session, const char* request, int echo, void* self);
    static void onShowInfo(_PolkitAgentSession* session, const char* text, void* self);
    static void onShowError(_PolkitAgentSession* session, const char* text, void* self);
    static void onCompleted(_PolkitAgentSession* session, int authenticated, void* self);

    void startAttempt();
    void dropSession();
    void finish(bool authenticated);

    uint m_uid;
    QString m_cookie;
    _PolkitAgentSession* m_session = nullptr;
    int m_attempts = 0;
    bool m_cancelled = false;
    bool m_finished = false;
};
