// GLib's headers use the word Qt defines as a macro; they come first.
#define POLKIT_AGENT_I_KNOW_API_IS_SUBJECT_TO_CHANGE
#include <polkitagent/polkitagent.h>

#include "dbus/PolkitAgentConversation.h"

#include <QTimer>

PolkitAgentConversation::PolkitAgentConversation(uint uid, QString cookie, QObject* parent)
    : QObject(parent)
    , m_uid(uid)
    , m_cookie(std::move(cookie)) {}

PolkitAgentConversation::~PolkitAgentConversation() {
    dropSession();
}

void PolkitAgentConversation::start() {
    startAttempt();
}

void PolkitAgentConversation::startAttempt() {
    ++m_attempts;
    PolkitIdentity* identity = polkit_unix_user_new(static_cast<gint>(m_uid));
    m_session = polkit_agent_session_new(identity, m_cookie.toUtf8().constData());
    g_object_unref(identity);
    g_signal_connect(m_session, "request", G_CALLBACK(&PolkitAgentConversation::onRequest), this);
    g_signal_connect(m_session, "show-info", G_CALLBACK(&PolkitAgentConversation::onShowInfo),
                     this);
    g_signal_connect(m_session, "show-error", G_CALLBACK(&PolkitAgentConversation::onShowError),
                     this);
    g_signal_connect(m_session, "completed", G_CALLBACK(&PolkitAgentConversation::onCompleted),
                     this);
    polkit_agent_session_initiate(m_session);
}

void PolkitAgentConversation::dropSession() {
    if (!m_session)
        return;
    g_signal_handlers_disconnect_by_data(m_session, this);
    // The session may be inside one of its own signals: let go of it once that returns.
    QTimer::singleShot(0, [session = m_session] { g_object_unref(session); });
    m_session = nullptr;
}

void PolkitAgentConversation::cancel() {
    if (m_finished)
        return;
    m_cancelled = true;
    if (m_session)
        polkit_agent_session_cancel(m_session);
    finish(false);
}

void PolkitAgentConversation::respond(const QString& answer) {
    if (!m_session)
        return;
    QByteArray bytes = answer.toUtf8();
    polkit_agent_session_response(m_session, bytes.constData());
    bytes.fill('\0');
}

void PolkitAgentConversation::onRequest(PolkitAgentSession*, const char* request, int echo,
                                        void* self) {
    emit static_cast<PolkitAgentConversation*>(self)->requested(QString::fromUtf8(request),
                                                                echo != 0);
}

void PolkitAgentConversation::onShowInfo(PolkitAgentSession*, const char* text, void* self) {
    emit static_cast<PolkitAgentConversation*>(self)->infoShown(QString::fromUtf8(text));
}

void PolkitAgentConversation::onShowError(PolkitAgentSession*, const char* text, void* self) {
    emit static_cast<PolkitAgentConversation*>(self)->errorShown(QString::fromUtf8(text));
}

void PolkitAgentConversation::onCompleted(PolkitAgentSession*, int authenticated, void* self) {
    auto* conversation = static_cast<PolkitAgentConversation*>(self);
    conversation->dropSession();
    if (authenticated || conversation->m_cancelled || conversation->m_attempts >= maxAttempts) {
        conversation->finish(authenticated != 0);
        return;
    }
    emit conversation->attemptFailed(maxAttempts - conversation->m_attempts);
    conversation->startAttempt();
}

void PolkitAgentConversation::finish(bool authenticated) {
    if (m_finished)
        return;
    m_finished = true;
    dropSession();
    emit finished(authenticated);
}
