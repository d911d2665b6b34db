#include "platform/linux/DBusNotifier.h"

#include "platform/Logger.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString desktopId = QStringLiteral("com.tarnwick.Velmora");
// The freedesktop sound theme's name for an ordinary incoming message.
const QString defaultSound = QStringLiteral("message-new-instant");

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
    if (!m_bus.isConnected()) {
        m_logger.log(QStringLiteral("[Velmora] Could not show notification %1: no session bus")
                         .arg(identifier));
        return;
    }
    QVariantMap hints{{QStringLiteral("desktop-entry"), desktopId}};
    if (withSound)
        hints.insert(QStringLiteral("sound-name"), defaultSound);
    QDBusMessage call = methodCall(QStringLiteral("Notify"));
    // replaces_id 0: every notification is its own.
    call << QStringLiteral("Velmora") << quint32(0) << desktopId << title << body << QStringList()
         << hints << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, identifier] {
        watcher->deleteLater();
        if (watcher->isError())
            m_logger.log(QStringLiteral("[Velmora] Could not show notification %1: %2")
                             .arg(identifier, watcher->error().message()));
    });
}
