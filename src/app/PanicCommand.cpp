#include "app/PanicCommand.h"

#include "dbus/DBusApplicationService.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <cstdio>

namespace {

// A copy that does not answer in this time is stuck; the user gets the prompt back.
constexpr int answerTimeoutMs = 5000;

int fail(const QString& message) {
    std::fputs(QStringLiteral("velmora: %1\n").arg(message).toLocal8Bit().constData(), stderr);
    return 1;
}

} // namespace

int PanicCommand::run() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return fail(QStringLiteral("cannot reach the session bus (%1); nothing was dismissed")
                        .arg(bus.lastError().message()));
    QDBusMessage request = QDBusMessage::createMethodCall(
        DBusApplicationService::serviceName, DBusApplicationService::objectPath,
        QStringLiteral("org.freedesktop.Application"), QStringLiteral("ActivateAction"));
    request << QStringLiteral("panic") << QVariantList() << QVariantMap();
    const QDBusMessage reply = bus.call(request, QDBus::Block, answerTimeoutMs);
    if (reply.type() != QDBusMessage::ErrorMessage)
        return 0;
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return fail(QStringLiteral("Velmora is not running in this session; nothing to dismiss"));
    return fail(QStringLiteral("the running Velmora did not take the request: %1")
                    .arg(reply.errorMessage()));
}
