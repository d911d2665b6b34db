#include "dbus/PolkitSelfAgent.h"

#include "dbus/PolkitAgentConversation.h"
#include "dbus/PolkitProcessSubject.h"

#include <QDBusArgument>
#include <QDBusPendingCallWatcher>
#include <QLocale>
#include <QMetaObject>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString polkitService = u"org.freedesktop.PolicyKit1"_s;
const QString polkitPath = u"/org/freedesktop/PolicyKit1/Authority"_s;
const QString authorityInterface = u"org.freedesktop.PolicyKit1.Authority"_s;
const QString agentInterface = u"org.freedesktop.PolicyKit1.AuthenticationAgent"_s;
const QString cancelledError = u"org.freedesktop.PolicyKit1.Error.Cancelled"_s;
const QString failedError = u"org.freedesktop.PolicyKit1.Error.Failed"_s;
const QString beginSignature = u"sssa{ss}sa(sa{sv})"_s;
constexpr int registrationTimeoutMs = 5000;

// Whether polkit lets this user answer for themselves; auth_self offers only that identity.
bool offersThisUser(const QDBusArgument& identities) {
    const uint uid = getuid();
    bool found = false;
    identities.beginArray();
    while (!identities.atEnd()) {
        QString kind;
        QVariantMap details;
        identities.beginStructure();
        identities >> kind >> details;
        identities.endStructure();
        found = found || (kind == u"unix-user" && details.value(u"uid"_s).toUInt() == uid);
    }
    identities.endArray();
    return found;
}

QDBusMessage authorityCall(const QString& method) {
    return QDBusMessage::createMethodCall(polkitService, polkitPath, authorityInterface, method);
}

} // namespace

PolkitSelfAgent::PolkitSelfAgent(QDBusConnection bus, QObject* parent)
    : QDBusVirtualObject(parent)
    , m_bus(std::move(bus)) {}

PolkitSelfAgent::~PolkitSelfAgent() {
    if (m_conversation)
        m_conversation->cancel();
    if (m_exported)
        m_bus.unregisterObject(QString::fromLatin1(objectPath));
}

void PolkitSelfAgent::acquire(Registered registered) {
    ++m_users;
    if (m_registered) {
        QMetaObject::invokeMethod(
            this, [registered] { registered(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    m_waiting.append(std::move(registered));
    registerWithPolkit();
}

void PolkitSelfAgent::release() {
    if (m_users == 0 || --m_users > 0)
        return;
    unregisterFromPolkit();
}

void PolkitSelfAgent::registerWithPolkit() {
    if (m_registering)
        return;
    if (!m_exported)
        m_exported = m_bus.registerVirtualObject(QString::fromLatin1(objectPath), this);
    const auto subject = PolkitProcessSubject::thisProcess();
    if (!m_exported || !subject) {
        registrationAnswered(QDBusMessage::createError(
            failedError, m_exported ? u"cannot read this process's start time"_s
                                    : u"cannot export the agent on the bus"_s));
        return;
    }
    QDBusMessage call = authorityCall(u"RegisterAuthenticationAgent"_s);
    call << QVariant::fromValue(*subject) << QLocale::system().name() + u".UTF-8"_s
         << QString::fromLatin1(objectPath);
    m_registering = true;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, registrationTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                m_registering = false;
                registrationAnswered(finished->reply());
            });
}

void PolkitSelfAgent::registrationAnswered(const QDBusMessage& reply) {
    const bool ok = reply.type() == QDBusMessage::ReplyMessage;
    std::optional<QString> failure;
    if (ok) {
        m_polkitName = reply.service();
        m_registered = true;
    } else {
        failure = reply.errorMessage();
        // Those who waited are answered; they release nothing.
        m_users = std::max(0, m_users - int(m_waiting.size()));
    }
    const QList<Registered> waiting = std::exchange(m_waiting, {});
    for (const Registered& registered : waiting)
        registered(failure);
    // Everybody released while polkit was answering.
    if (ok && m_users == 0)
        unregisterFromPolkit();
}

void PolkitSelfAgent::unregisterFromPolkit() {
    if (m_conversation)
        m_conversation->cancel();
    if (!m_registered)
        return;
    m_registered = false;
    const auto subject = PolkitProcessSubject::thisProcess();
    if (!subject)
        return;
    QDBusMessage call = authorityCall(u"UnregisterAuthenticationAgent"_s);
    call << QVariant::fromValue(*subject) << QString::fromLatin1(objectPath);
    m_bus.asyncCall(call, registrationTimeoutMs);
}

QString PolkitSelfAgent::introspect(const QString& /*path*/) const {
    return uR"xml(<interface name="org.freedesktop.PolicyKit1.AuthenticationAgent">
  <method name="BeginAuthentication">
    <arg type="s" name="action_id" direction="in"/>
    <arg type="s" name="message" direction="in"/>
    <arg type="s" name="icon_name" direction="in"/>
    <arg type="a{ss}" name="details" direction="in"/>
    <arg type="s" name="cookie" direction="in"/>
    <arg type="a(sa{sv})" name="identities" direction="in"/>
  </method>
  <method name="CancelAuthentication">
    <arg type="s" name="cookie" direction="in"/>
  </method>
</interface>
)xml"_s;
}

bool PolkitSelfAgent::handleMessage(const QDBusMessage& message,
                                    const QDBusConnection& /*connection*/) {
    if (message.interface() != agentInterface)
        return false;
    if (!m_registered || message.service() != m_polkitName) {
        replyError(message, u"only polkit may ask this agent"_s);
        return true;
    }
    if (message.member() == u"BeginAuthentication")
        beginAuthentication(message);
    else if (message.member() == u"CancelAuthentication")
        cancelAuthentication(message);
    else
        return false;
    return true;
}

void PolkitSelfAgent::beginAuthentication(const QDBusMessage& message) {
    if (message.signature() != beginSignature) {
        replyError(message, u"unexpected arguments"_s);
        return;
    }
    if (m_conversation) {
        replyError(message, u"another authentication is in progress"_s);
        return;
    }
    const QList<QVariant> arguments = message.arguments();
    if (!offersThisUser(arguments.at(5).value<QDBusArgument>())) {
        replyError(message, u"only the user themselves can answer here"_s);
        return;
    }
    m_pending = message;
    m_cookie = arguments.at(4).toString();
    auto* conversation = new PolkitAgentConversation(getuid(), m_cookie, this);
    m_conversation = conversation;
    connect(conversation, &PolkitAgentConversation::requested, this, &PolkitSelfAgent::requested);
    connect(conversation, &PolkitAgentConversation::infoShown, this, &PolkitSelfAgent::infoShown);
    connect(conversation, &PolkitAgentConversation::errorShown, this, &PolkitSelfAgent::errorShown);
    connect(conversation, &PolkitAgentConversation::attemptFailed, this,
            &PolkitSelfAgent::attemptFailed);
    connect(conversation, &PolkitAgentConversation::finished, this,
            &PolkitSelfAgent::endConversation);
    emit opened();
    conversation->start();
}

void PolkitSelfAgent::cancelAuthentication(const QDBusMessage& message) {
    if (m_conversation && message.arguments().value(0).toString() == m_cookie)
        m_conversation->cancel();
    m_bus.send(message.createReply());
}

void PolkitSelfAgent::respond(const QString& answer) {
    if (m_conversation)
        m_conversation->respond(answer);
}

void PolkitSelfAgent::cancel() {
    if (m_conversation)
        m_conversation->cancel();
}

// The helper has told polkit itself whether the password was right; polkit only waits for this
// answer to decide.
void PolkitSelfAgent::endConversation(bool authenticated) {
    if (m_conversation)
        m_conversation->deleteLater();
    m_conversation = nullptr;
    m_cookie.clear();
    const QDBusMessage pending = std::exchange(m_pending, {});
    if (authenticated)
        m_bus.send(pending.createReply());
    else
        m_bus.send(pending.createErrorReply(cancelledError, u"the password was not given"_s));
    emit closed();
}

void PolkitSelfAgent::replyError(const QDBusMessage& message, const QString& error) const {
    m_bus.send(message.createErrorReply(failedError, error));
}
