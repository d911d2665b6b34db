#include "storage/UDisksClient.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <sys/sysmacros.h>

namespace {

using InterfaceMap = QMap<QString, QVariantMap>;
using ObjectMap = QMap<QDBusObjectPath, InterfaceMap>;

const QString service = QStringLiteral("org.freedesktop.UDisks2");
const QString rootPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString objectManagerInterface = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString driveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString loopInterface = QStringLiteral("org.freedesktop.UDisks2.Loop");
const QString partitionInterface = QStringLiteral("org.freedesktop.UDisks2.Partition");

bool isTimeout(const QDBusError& error) {
    return error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout ||
           error.type() == QDBusError::TimedOut;
}

} // namespace

Q_DECLARE_METATYPE(InterfaceMap)
Q_DECLARE_METATYPE(ObjectMap)

UDisksClient::UDisksClient(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus)) {
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ObjectMap>();
    if (!m_bus.isConnected()) {
        m_state = State::notRunning;
        return;
    }
    m_bus.connect(service, rootPath, objectManagerInterface, QStringLiteral("InterfacesAdded"),
                  this, SLOT(onInterfacesAdded(QDBusMessage)));
    m_bus.connect(service, rootPath, objectManagerInterface, QStringLiteral("InterfacesRemoved"),
                  this, SLOT(onInterfacesRemoved(QDBusMessage)));
    // Every object of the service: an empty path matches them all.
    m_bus.connect(service, QString(), propertiesInterface, QStringLiteral("PropertiesChanged"),
                  this, SLOT(onPropertiesChanged(QDBusMessage)));
    m_watcher =
        new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &UDisksClient::fetch);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        forget();
        m_state = State::notRunning;
    });
    m_retry.setSingleShot(true);
    m_retry.setInterval(retryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &UDisksClient::fetch);
    fetch();
}

void UDisksClient::fetch() {
    forget();
    m_state = State::fetching;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        service, rootPath, objectManagerInterface, QStringLiteral("GetManagedObjects"));
    m_pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, callTimeoutMs), this);
    connect(m_pending, &QDBusPendingCallWatcher::finished, this, &UDisksClient::onFetched);
}

void UDisksClient::onFetched(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    if (watcher != m_pending)
        return;
    m_pending = nullptr;
    const QDBusMessage reply = watcher->reply();
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const QDBusError error(reply);
        m_state = isTimeout(error) ? State::notAnswering : State::notRunning;
        if (m_state == State::notAnswering)
            m_retry.start();
        return;
    }
    const ObjectMap objects = qdbus_cast<ObjectMap>(reply.arguments().value(0));
    for (auto object = objects.begin(); object != objects.end(); ++object)
        m_objects.insert(object.key(), object.value());
    m_state = State::ready;
}

// Drops what is known; a fetch still on its way is ignored when it comes.
void UDisksClient::forget() {
    m_retry.stop();
    if (m_pending)
        m_pending->deleteLater();
    m_pending = nullptr;
    m_objects.clear();
}

void UDisksClient::onInterfacesAdded(const QDBusMessage& message) {
    const auto path = qdbus_cast<QDBusObjectPath>(message.arguments().value(0));
    const auto added = qdbus_cast<InterfaceMap>(message.arguments().value(1));
    InterfaceMap& interfaces = m_objects[path];
    for (auto interface = added.begin(); interface != added.end(); ++interface)
        interfaces.insert(interface.key(), interface.value());
}

void UDisksClient::onInterfacesRemoved(const QDBusMessage& message) {
    const auto path = qdbus_cast<QDBusObjectPath>(message.arguments().value(0));
    const auto removed = qdbus_cast<QStringList>(message.arguments().value(1));
    const auto object = m_objects.find(path);
    if (object == m_objects.end())
        return;
    for (const QString& interface : removed)
        object->remove(interface);
    if (object->isEmpty())
        m_objects.erase(object);
}

void UDisksClient::onPropertiesChanged(const QDBusMessage& message) {
    const auto object = m_objects.find(QDBusObjectPath(message.path()));
    if (object == m_objects.end())
        return;
    const QString interfaceName = message.arguments().value(0).toString();
    const auto interface = object->find(interfaceName);
    if (interface == object->end())
        return;
    const auto changed = qdbus_cast<QVariantMap>(message.arguments().value(1));
    for (auto property = changed.begin(); property != changed.end(); ++property)
        interface->insert(property.key(), property.value());
    for (const QString& invalidated : qdbus_cast<QStringList>(message.arguments().value(2)))
        interface->remove(invalidated);
}

std::optional<QHash<quint64, BlockDeviceFacts>> UDisksClient::blockDevices() const {
    if (m_state != State::ready)
        return std::nullopt;
    QHash<quint64, BlockDeviceFacts> devices;
    for (const InterfaceMap& interfaces : m_objects) {
        const auto block = interfaces.find(blockInterface);
        if (block == interfaces.end())
            continue;
        const quint64 number = block->value(QStringLiteral("DeviceNumber")).toULongLong();
        devices.insert(number, factsOf(*block, interfaces));
    }
    return devices;
}

BlockDeviceFacts UDisksClient::factsOf(const QVariantMap& block,
                                       const InterfaceMap& interfaces) const {
    BlockDeviceFacts facts;
    facts.uuid = block.value(QStringLiteral("IdUUID")).toString();
    facts.label = block.value(QStringLiteral("IdLabel")).toString();
    // udisks2 calls a loop device that root set up a system device; it is a disk image the
    // user attached, like any other.
    facts.isInternal =
        block.value(QStringLiteral("HintSystem"), true).toBool() && !isOnLoopDevice(interfaces);
    facts.isIgnored = block.value(QStringLiteral("HintIgnore")).toBool();
    const auto drivePath = qdbus_cast<QDBusObjectPath>(block.value(QStringLiteral("Drive")));
    const QVariantMap drive = m_objects.value(drivePath).value(driveInterface);
    facts.isRemovable = drive.value(QStringLiteral("Removable")).toBool() ||
                        drive.value(QStringLiteral("MediaRemovable")).toBool();
    facts.hardware = HardwareIdentity{drive.value(QStringLiteral("Vendor")).toString().trimmed(),
                                      drive.value(QStringLiteral("Model")).toString().trimmed(),
                                      drive.value(QStringLiteral("Serial")).toString().trimmed(),
                                      drive.value(QStringLiteral("WWN")).toString().trimmed()};
    return facts;
}

// The loop device itself, or a partition of one.
bool UDisksClient::isOnLoopDevice(const InterfaceMap& interfaces) const {
    if (interfaces.contains(loopInterface))
        return true;
    const auto partition = interfaces.find(partitionInterface);
    if (partition == interfaces.end())
        return false;
    const auto tablePath = qdbus_cast<QDBusObjectPath>(partition->value(QStringLiteral("Table")));
    return m_objects.value(tablePath).contains(loopInterface);
}

quint64 UDisksClient::deviceNumber(unsigned major, unsigned minor) {
    return makedev(major, minor);
}
