#include "dbus/PolkitAuthBackend.h"

#include "dbus/PolkitProcessSubject.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QElapsedTimer>
#include <QMap>

using namespace Qt::StringLiterals;

namespace {

using Details = QMap<QString, QString>;

const QString polkitService = u"org.freedesktop.PolicyKit1"_s;
const QString polkitPath = u"/org/freedesktop/PolicyKit1/Authority"_s;
const QString polkitInterface = u"org.freedesktop.PolicyKit1.Authority"_s;
const QString cancelledError = u"org.freedesktop.PolicyKit1.Error.Cancelled"_s;
constexpr quint32 allowUserInteraction = 1;
constexpr int probeTimeoutMs = 2000;
// An answer this close to the prompt's time-out is the time-out, not polkit going away.
constexpr int timeoutMarginMs = 500;

std::optional<QDBusMessage> checkAuthorization(quint32 flags) {
    const auto subject = PolkitProcessSubject::thisProcess();
    if (!subject)
        return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(polkitService, polkitPath, polkitInterface,
                                                       u"CheckAuthorization"_s);
    // polkit takes a custom message only from privileged callers; the action file has ours.
    call << QVariant::fromValue(*subject) << QString::fromLatin1(PolkitAuthBackend::actionId)
         << QVariant::fromValue(Details()) << flags << QString();
    return call;
}

const QString noAgentError = u"no authentication agent is running"_s;

struct Verdict {
    AuthBackend::Result result;
    QString error;
    bool noAgent = false;
};

Verdict verdictOf(const QDBusMessage& reply, bool promptTimedOut) {
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (reply.errorName() == cancelledError)
            return {AuthBackend::Result::refused, reply.errorMessage()};
        // Nobody answered the dialog in time: that is no.
        if (promptTimedOut && QDBusError(reply).type() == QDBusError::NoReply)
            return {AuthBackend::Result::refused, u"the authentication dialog timed out"_s};
        return {AuthBackend::Result::unavailable, reply.errorMessage()};
    }
    if (reply.signature() != u"(bba{ss})")
        return {AuthBackend::Result::unavailable, u"unexpected answer from polkit"_s};
    const auto answer = reply.arguments().constFirst().value<QDBusArgument>();
    bool isAuthorized = false;
    bool isChallenge = false;
    Details details;
    answer.beginStructure();
    answer >> isAuthorized >> isChallenge >> details;
    answer.endStructure();
    if (isAuthorized)
        return {AuthBackend::Result::authenticated, {}};
    // With user interaction allowed, a remaining challenge means no agent could ask.
    if (isChallenge)
        return {AuthBackend::Result::unavailable, noAgentError, true};
    if (details.value(u"polkit.dismissed"_s) == u"true")
        return {AuthBackend::Result::refused, u"the authentication dialog was dismissed"_s};
    return {AuthBackend::Result::refused, u"not authorized"_s};
}

} // namespace

PolkitAuthBackend::PolkitAuthBackend(QDBusConnection bus, int promptTimeoutMs)
    : m_bus(std::move(bus))
    , m_promptTimeoutMs(promptTimeoutMs)
    , m_selfAgent(m_bus) {
    qDBusRegisterMetaType<Details>();
    if (!m_bus.isConnected()) {
        m_unavailability = u"no system bus"_s;
        return;
    }
    auto* watcher = new QDBusServiceWatcher(polkitService, m_bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this,
            &PolkitAuthBackend::probeAvailability);
    probeAvailability();
}

std::optional<QString> PolkitAuthBackend::unavailability() {
    const std::optional<QString> known = m_unavailability;
    probeAvailability();
    return known;
}

// Without user interaction polkit answers at once, and fails only when it or our action is
// missing.
void PolkitAuthBackend::probeAvailability() {
    if (!m_bus.isConnected() || m_probingAvailability)
        return;
    const auto call = checkAuthorization(0);
    if (!call) {
        m_unavailability = u"cannot read this process's start time"_s;
        return;
    }
    m_probingAvailability = true;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(*call, probeTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                m_probingAvailability = false;
                const QDBusMessage reply = finished->reply();
                if (reply.type() == QDBusMessage::ErrorMessage)
                    m_unavailability = reply.errorMessage();
                else
                    m_unavailability.reset();
            });
}

bool PolkitAuthBackend::hasBiometrics() {
    probeBiometrics();
    return m_hasBiometrics;
}

void PolkitAuthBackend::probeBiometrics() {
    if (!m_bus.isConnected() || m_probingBiometrics)
        return;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        u"net.reactivated.Fprint"_s, u"/net/reactivated/Fprint/Manager"_s,
        u"net.reactivated.Fprint.Manager"_s, u"GetDevices"_s);
    m_probingBiometrics = true;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, probeTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                m_probingBiometrics = false;
                const QDBusReply<QList<QDBusObjectPath>> reply = *finished;
                m_hasBiometrics = reply.isValid() && !reply.value().isEmpty();
            });
}

void PolkitAuthBackend::authenticate(const QString& /*reason*/, Reply reply) {
    ask(std::move(reply), true);
}

// The desktop's agent is asked first; only when polkit finds none does our own agent register
// for this process and the question go again.
void PolkitAuthBackend::ask(Reply reply, bool mayAskItself) {
    const auto call = checkAuthorization(allowUserInteraction);
    if (!call) {
        // Still answered later, as promised.
        QMetaObject::invokeMethod(
            this,
            [reply] { reply(Result::unavailable, u"cannot read this process's start time"_s); },
            Qt::QueuedConnection);
        return;
    }
    QElapsedTimer asked;
    asked.start();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(*call, m_promptTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, reply, asked, mayAskItself](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const bool timedOut = asked.elapsed() >= m_promptTimeoutMs - timeoutMarginMs;
                const Verdict verdict = verdictOf(finished->reply(), timedOut);
                if (verdict.noAgent && mayAskItself) {
                    askItself(reply);
                    return;
                }
                reply(verdict.result, verdict.error);
            });
}

void PolkitAuthBackend::askItself(Reply reply) {
    m_selfAgent.acquire([this, reply](const std::optional<QString>& failure) {
        if (failure) {
            reply(Result::unavailable,
                  noAgentError + u", and Velmora's own could not register: "_s + *failure);
            return;
        }
        ask(
            [this, reply](Result result, const QString& error) {
                m_selfAgent.release();
                reply(result, error);
            },
            false);
    });
}
