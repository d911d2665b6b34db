#include "GateService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDebug>

namespace {

const QString notAuthorized = QStringLiteral("com.tarnwick.VelmoraGate1.Error.NotAuthorized");
const QString superseded = QStringLiteral("com.tarnwick.VelmoraGate1.Error.Superseded");
// Long enough for the owner to type a password into the agent.
constexpr int authorizationTimeoutMs = 5 * 60 * 1000;
constexpr uint allowUserInteraction = 1;

QDBusMessage authorizationRequest(const QString& busName) {
    QDBusMessage request =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.PolicyKit1"),
                                       QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
                                       QStringLiteral("org.freedesktop.PolicyKit1.Authority"),
                                       QStringLiteral("CheckAuthorization"));
    QDBusArgument subject;
    subject.beginStructure();
    subject << QStringLiteral("system-bus-name") << QVariantMap{{QStringLiteral("name"), busName}};
    subject.endStructure();
    QDBusArgument details;
    details.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QString>());
    details.endMap();
    request << QVariant::fromValue(subject) << QStringLiteral("com.tarnwick.velmora.loosen")
            << QVariant::fromValue(details) << allowUserInteraction << QString();
    return request;
}

} // namespace

GateService::GateService(PolicyStore& store, ExecDecider& decider, FanotifyGate& gate)
    : m_store(store)
    , m_decider(decider)
    , m_gate(gate) {}

void GateService::loadStored() {
    m_policies = m_store.loadAll();
    qInfo().noquote() << "velmora-gate: loaded" << m_policies.size() << "stored policies";
    publish();
}

void GateService::reportRefusal(const ExecVerdict& verdict, pid_t pid) {
    qInfo().noquote() << "velmora-gate: refused" << verdict.appId << "for uid" << verdict.uid
                      << "pid" << pid;
    emit ExecRefused(verdict.uid, static_cast<uint>(pid), verdict.appId);
}

void GateService::SetPolicy(bool protectionOn, bool requireAuthentication,
                            const QList<GatedApp>& apps) {
    uid_t uid = 0;
    if (!callerUid(uid))
        return;
    change(uid, UserPolicy{protectionOn, requireAuthentication, apps});
}

void GateService::Forget() {
    uid_t uid = 0;
    if (callerUid(uid))
        change(uid, std::nullopt);
}

bool GateService::Status(uint& gatedApps) {
    uid_t uid = 0;
    gatedApps = 0;
    if (!callerUid(uid))
        return false;
    gatedApps = static_cast<uint>(m_policies.value(uid).gatedApps().size());
    return m_gate.isRunning() && gatedApps > 0;
}

bool GateService::callerUid(uid_t& uid) {
    const QDBusReply<uint> reply = connection().interface()->serviceUid(message().service());
    if (!reply.isValid()) {
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("caller unknown"));
        return false;
    }
    uid = reply.value();
    return true;
}

void GateService::change(uid_t uid, const std::optional<UserPolicy>& next) {
    const quint64 request = ++m_changes[uid];
    const auto stored = m_policies.constFind(uid);
    const bool loosens = stored != m_policies.constEnd() && stored->requireAuthentication &&
                         stored->isLoosenedBy(next.value_or(UserPolicy{}));
    if (loosens)
        authorizeThenApply(uid, next, request);
    else
        apply(uid, next);
}

void GateService::apply(uid_t uid, const std::optional<UserPolicy>& next) {
    if (next) {
        m_policies.insert(uid, *next);
        m_store.save(uid, *next);
    } else {
        m_policies.remove(uid);
        m_store.remove(uid);
    }
    qInfo().noquote() << "velmora-gate: uid" << uid << "now has"
                      << m_policies.value(uid).gatedApps().size() << "gated apps";
    publish();
}

void GateService::authorizeThenApply(uid_t uid, const std::optional<UserPolicy>& next,
                                     quint64 change) {
    qInfo().noquote() << "velmora-gate: asking polkit before loosening for uid" << uid;
    setDelayedReply(true);
    const QDBusMessage call = message();
    QDBusConnection bus = connection();
    auto* watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(authorizationRequest(call.service()), authorizationTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, uid, next, change, call, bus](QDBusPendingCallWatcher* finished) mutable {
                finished->deleteLater();
                const QDBusMessage reply = finished->reply();
                const QDBusArgument result = reply.arguments().value(0).value<QDBusArgument>();
                bool authorized = false;
                if (reply.type() == QDBusMessage::ReplyMessage &&
                    reply.signature().startsWith(QLatin1String("(bb"))) {
                    result.beginStructure();
                    result >> authorized;
                }
                if (!authorized) {
                    qInfo().noquote() << "velmora-gate: loosening refused for uid" << uid;
                    bus.send(call.createErrorReply(notAuthorized,
                                                   QStringLiteral("authentication required")));
                    return;
                }
                if (m_changes.value(uid) != change) {
                    qInfo().noquote() << "velmora-gate: a newer policy for uid" << uid
                                      << "arrived while asking; the older one is dropped";
                    bus.send(call.createErrorReply(superseded,
                                                   QStringLiteral("a newer policy was sent")));
                    return;
                }
                apply(uid, next);
                bus.send(call.createReply());
            });
}

void GateService::publish() {
    m_decider.setPolicies(m_policies);
    bool gating = false;
    for (const UserPolicy& policy : std::as_const(m_policies))
        gating = gating || !policy.gatedApps().isEmpty();
    m_gate.setGating(gating);
}
