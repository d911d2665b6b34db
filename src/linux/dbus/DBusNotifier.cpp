#include "dbus/DBusNotifier.h"

#include "model/LogName.h"
#include "ports/Logger.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <utility>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString desktopId = QStringLiteral("com.tarnwick.Velmora");
// The freedesktop sound theme's name for an ordinary incoming message.
const QString defaultSound = QStringLiteral("message-new-instant");
constexpr qsizetype rememberedIds = 32;

QDBusMessage methodCall(const QString& method) {
    return QDBusMessage::createMethodCall(service, path, service, method);
}

} // namespace

DBusNotifier::DBusNotifier(Logger& logger, QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_logger(logger)
    , m_bus(std::move(bus)) {}

void DBusNotifier::requestPermission(std::function<void(bool granted)> answer) {
    if (!m_bus.isConnected()) {
        m_logger.log(QStringLiteral("[Velmora] No session bus; notifications cannot be shown"));
        answer(false);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(methodCall(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, answer] {
        watcher->deleteLater();
        const QDBusPendingReply<QStringList> reply = *watcher;
        if (reply.isError())
            m_logger.log(QStringLiteral("[Velmora] No notification server: %1")
                             .arg(reply.error().message()));
        answer(!reply.isError());
    });
}

void DBusNotifier::post(const QString& identifier, const QString& title, const QString& body,
                        bool withSound) {
    // A session bus that went away does not come back to this connection: said once, not at
    // every poll.
    if (!m_bus.isConnected()) {
        if (!std::exchange(m_toldNoBus, true))
            m_logger.log(QStringLiteral("[Velmora] Could not show notification %1: no session bus; "
                                        "notifications stay off until Velmora is started again")
                             .arg(logName(identifier)));
        return;
    }
    QVariantMap hints{{QStringLiteral("desktop-entry"), desktopId}};
    if (withSound)
        hints.insert(QStringLiteral("sound-name"), defaultSound);
    QDBusMessage call = methodCall(QStringLiteral("Notify"));
    call << QStringLiteral("Velmora") << serverId(identifier) << desktopId << title << body
         << QStringList() << hints << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, identifier] {
        watcher->deleteLater();
        const QDBusPendingReply<quint32> reply = *watcher;
        if (reply.isError()) {
            m_logger.log(QStringLiteral("[Velmora] Could not show notification %1: %2")
                             .arg(logName(identifier), reply.error().message()));
            return;
        }
        rememberServerId(identifier, reply.value());
    });
}

quint32 DBusNotifier::serverId(const QString& identifier) const {
    for (const auto& [known, id] : m_serverIds) {
        if (known == identifier)
            return id;
    }
    return 0;
}

void DBusNotifier::rememberServerId(const QString& identifier, quint32 id) {
    m_serverIds.removeIf([&](const auto& entry) { return entry.first == identifier; });
    m_serverIds.append({identifier, id});
    if (m_serverIds.size() > rememberedIds)
        m_serverIds.removeFirst();
}
