#include "dbus/DBusApplicationService.h"

#include "model/LogName.h"
#include "ports/Logger.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString interfaceName = QStringLiteral("org.freedesktop.Application");
// A second copy waits this long for the first to answer before it quits anyway.
constexpr int activationTimeoutMs = 3000;
// DBUS_NAME_FLAG_DO_NOT_QUEUE; replies 1 (primary owner) and 4 (already owner) mean success.
constexpr uint doNotQueue = 4;

} // namespace

DBusApplicationService::DBusApplicationService(Logger& logger, QObject* parent)
    : QObject(parent)
    , m_logger(logger) {}

bool DBusApplicationService::publish(std::function<void()> onActivate) {
    m_onActivate = std::move(onActivate);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_logger.log(QStringLiteral("[Velmora] No session bus; Velmora cannot be brought up by "
                                    "launching it again"));
        return false;
    }
    if (!bus.registerObject(objectPath, interfaceName, this,
                            QDBusConnection::ExportScriptableSlots))
        return false;
    // Asked without waiting: the bus answers on the next passes of the event loop.
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request << serviceName << doNotQueue;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(request), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
            call->deleteLater();
            const QDBusPendingReply<uint> reply = *call;
            if (!reply.isError() && (reply.value() == 1 || reply.value() == 4))
                return;
            m_logger.log(QStringLiteral("[Velmora] Could not take the name %1 on the "
                                        "session bus: %2")
                             .arg(serviceName, reply.isError()
                                                   ? reply.error().message()
                                                   : QStringLiteral("owned by another process")));
        });
    return true;
}

void DBusApplicationService::activateRunningCopy(std::function<void()> done) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QMetaObject::invokeMethod(
            this, [done] { done(); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage activate = QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName,
                                                           QStringLiteral("Activate"));
    activate << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(activate, activationTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, done](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (call->isError())
                    m_logger.log(QStringLiteral("[Velmora] The running copy did not answer: %1")
                                     .arg(call->error().message()));
                done();
            });
}

void DBusApplicationService::Activate(const QVariantMap&) {
    if (m_onActivate)
        m_onActivate();
}

void DBusApplicationService::setActionHandler(std::function<bool(const QString& action)> handler) {
    m_onAction = std::move(handler);
}

void DBusApplicationService::ActivateAction(const QString& actionName, const QVariantList&,
                                            const QVariantMap&) {
    if (m_onAction && m_onAction(actionName))
        return;
    m_logger.log(
        QStringLiteral("[Velmora] Unknown application action %1 ignored").arg(logName(actionName)));
}

// There are no documents to open; being asked to is being asked to come forward.
void DBusApplicationService::Open(const QStringList&, const QVariantMap& platformData) {
    Activate(platformData);
}
