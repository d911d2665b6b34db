#include "app/PanicCommand.h"

#include "dbus/DBusApplicationService.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QFileInfo>
#include <cstdio>
#include <optional>

namespace {

// A copy that does not answer in this time is stuck; the user gets the prompt back.
constexpr int answerTimeoutMs = 5000;

int fail(const QString& message) {
    std::fputs(QStringLiteral("velmora: %1\n").arg(message).toLocal8Bit().constData(), stderr);
    return 1;
}

// The session's bus: the address given, else the user's bus socket. Never libdbus's autolaunch,
// which would start a new, empty bus and leave its daemon running after this command.
std::optional<QString> sessionBusAddress() {
    const QString given = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!given.isEmpty())
        return given;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString socket = runtime + QStringLiteral("/bus");
    if (runtime.isEmpty() || !QFileInfo(socket).exists())
        return std::nullopt;
    return QStringLiteral("unix:path=") + socket;
}

} // namespace

int PanicCommand::run() {
    const std::optional<QString> address = sessionBusAddress();
    if (!address)
        return fail(QStringLiteral("no session bus address (DBUS_SESSION_BUS_ADDRESS is not set); "
                                   "nothing was dismissed"));
    QDBusConnection bus = QDBusConnection::connectToBus(*address, QStringLiteral("velmora-panic"));
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
