#include "dbus/DBusExecGate.h"

#include "dbus/GatedAppDbus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <unistd.h>

namespace {

// Loosening the policy may wait for the owner to type a password.
constexpr int callTimeoutMs = 120'000;

} // namespace

const QString DBusExecGate::serviceName = QStringLiteral("com.tarnwick.VelmoraGate");
const QString DBusExecGate::objectPath = QStringLiteral("/com/tarnwick/VelmoraGate");
const QString DBusExecGate::interfaceName = QStringLiteral("com.tarnwick.VelmoraGate1");

DBusExecGate::DBusExecGate(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
    , m_watcher(serviceName, m_bus, QDBusServiceWatcher::WatchForRegistration) {
    registerGatedAppDbusTypes();
    connect(&m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (m_started)
            m_started();
    });
    m_bus.connect(serviceName, objectPath, interfaceName, QStringLiteral("ExecRefused"), this,
                  SLOT(onExecRefused(uint, uint, QString)));
}

void DBusExecGate::setPolicy(const GatePolicy& policy, Done done) {
    if (!m_bus.isConnected()) {
        done(Outcome::absent, QStringLiteral("no system bus"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName,
                                                       QStringLiteral("SetPolicy"));
    call << policy.protectionOn << policy.requireAuthentication << QVariant::fromValue(policy.apps);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [done = std::move(done)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<> reply = *finished;
                if (!reply.isError()) {
                    done(Outcome::applied, QString());
                    return;
                }
                done(outcomeOf(reply.error().name()), reply.error().message());
            });
}

void DBusExecGate::setRefusalHandler(RefusalHandler handler) {
    m_refused = std::move(handler);
}

void DBusExecGate::setStartHandler(std::function<void()> handler) {
    m_started = std::move(handler);
}

// The gate speaks to every user's Velmora at once; each keeps its own.
void DBusExecGate::onExecRefused(uint uid, uint pid, const QString& appId) {
    if (uid != ::getuid() || !m_refused)
        return;
    m_refused(pid, appId);
}

ExecGate::Outcome DBusExecGate::outcomeOf(const QString& errorName) {
    if (errorName == QLatin1String("com.tarnwick.VelmoraGate1.Error.NotAuthorized"))
        return Outcome::notAuthorized;
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.Disconnected"))
        return Outcome::absent;
    return Outcome::failed;
}
