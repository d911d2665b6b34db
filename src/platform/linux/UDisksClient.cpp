#include "platform/linux/UDisksClient.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <sys/sysmacros.h>

namespace {

using InterfaceMap = QMap<QString, QVariantMap>;
using ObjectMap = QMap<QDBusObjectPath, InterfaceMap>;

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString driveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
constexpr int callTimeoutMs = 2000;

BlockDeviceFacts factsOf(const QVariantMap& block, const ObjectMap& objects) {
    BlockDeviceFacts facts;
    facts.uuid = block.value(QStringLiteral("IdUUID")).toString();
    facts.label = block.value(QStringLiteral("IdLabel")).toString();
    facts.isInternal = block.value(QStringLiteral("HintSystem"), true).toBool();
    facts.isIgnored = block.value(QStringLiteral("HintIgnore")).toBool();
    const auto drivePath = block.value(QStringLiteral("Drive")).value<QDBusObjectPath>();
    const QVariantMap drive = objects.value(drivePath).value(driveInterface);
    facts.isRemovable = drive.value(QStringLiteral("Removable")).toBool() ||
                        drive.value(QStringLiteral("MediaRemovable")).toBool();
    return facts;
}

} // namespace

Q_DECLARE_METATYPE(InterfaceMap)
Q_DECLARE_METATYPE(ObjectMap)

UDisksClient::UDisksClient(QDBusConnection bus)
    : m_bus(std::move(bus)) {
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ObjectMap>();
}

std::optional<QHash<quint64, BlockDeviceFacts>> UDisksClient::blockDevices() const {
    if (!m_bus.isConnected() || !m_bus.interface() ||
        !m_bus.interface()->isServiceRegistered(service).value())
        return std::nullopt;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/UDisks2"),
        QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("GetManagedObjects"));
    const QDBusReply<ObjectMap> reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
    if (!reply.isValid())
        return std::nullopt;
    const ObjectMap objects = reply.value();
    QHash<quint64, BlockDeviceFacts> devices;
    for (const InterfaceMap& interfaces : objects) {
        const auto block = interfaces.find(blockInterface);
        if (block == interfaces.end())
            continue;
        const quint64 number = block->value(QStringLiteral("DeviceNumber")).toULongLong();
        devices.insert(number, factsOf(*block, objects));
    }
    return devices;
}

quint64 UDisksClient::deviceNumber(unsigned major, unsigned minor) {
    return makedev(major, minor);
}
