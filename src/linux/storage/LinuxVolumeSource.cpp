#include "storage/LinuxVolumeSource.h"

#include "ports/Logger.h"
#include "storage/MountTable.h"
#include "storage/SysfsBlockDevices.h"

#include <QFileInfo>

namespace {

QString lastComponent(const QString& mountPoint) {
    const QString name = QFileInfo(mountPoint).fileName();
    return name.isEmpty() ? mountPoint : name;
}

// Filesystem types that live in memory, stack other filesystems or come from a program.
bool isVirtualType(const QString& fsType) {
    static const QStringList types{QStringLiteral("tmpfs"),    QStringLiteral("ramfs"),
                                   QStringLiteral("overlay"),  QStringLiteral("aufs"),
                                   QStringLiteral("squashfs"), QStringLiteral("fuse")};
    return types.contains(fsType) || fsType.startsWith(QLatin1String("fuse."));
}

} // namespace

LinuxVolumeSource::LinuxVolumeSource(Logger& logger, QDBusConnection systemBus,
                                     QString mountTablePath)
    : m_logger(logger)
    , m_udisks(std::move(systemBus))
    , m_mountTablePath(std::move(mountTablePath)) {}

std::optional<QList<MountedVolume>> LinuxVolumeSource::mountedVolumes() {
    const auto table = MountTable::read(m_mountTablePath);
    if (!table) {
        m_logger.log(
            QStringLiteral("[Velmora] Cannot read the mount table %1").arg(m_mountTablePath));
        return std::nullopt;
    }
    const auto udisksDevices = m_udisks.blockDevices();
    noteDeviceSource(m_udisks.state());
    const SysfsBlockDevices sysfs;

    QList<MountedVolume> volumes;
    for (const MountTable::Entry& entry : *table) {
        if (MountTable::isHidden(entry))
            continue;
        std::optional<BlockDeviceFacts> facts;
        if (udisksDevices) {
            const auto found =
                udisksDevices->find(UDisksClient::deviceNumber(entry.major, entry.minor));
            if (found != udisksDevices->end())
                facts = *found;
        }
        if (!facts)
            facts = sysfs.facts(entry.major, entry.minor);
        if (facts && facts->isIgnored)
            continue;

        MountedVolume volume;
        volume.mountPath = entry.mountPoint;
        const QString label = facts ? facts->label : QString();
        volume.name = label.isEmpty() ? lastComponent(entry.mountPoint) : label;
        volume.localizedName = volume.name;
        // Filesystems without a device (a user's tmpfs, a network share) are not system disks;
        // the mount check still finds them, the drive picker leaves the virtual ones out.
        volume.isRemovable = facts && facts->isRemovable;
        volume.isInternal = facts && facts->isInternal;
        volume.isVirtual = !facts && isVirtualType(entry.fsType);
        volume.uuid = facts ? facts->uuid : QString();
        volume.mountId = entry.mountId;
        volume.isReadOnly = entry.isReadOnly;
        volume.hardware = facts ? facts->hardware : HardwareIdentity{};
        volumes.append(volume);
    }
    return volumes;
}

// One line when the source of device facts changes, not one per poll. While udisks2's objects
// are still on their way, the kernel's view stands in without a word.
void LinuxVolumeSource::noteDeviceSource(UDisksClient::State state) {
    if (state == UDisksClient::State::fetching || m_loggedState == state)
        return;
    m_loggedState = state;
    switch (state) {
    case UDisksClient::State::ready:
        m_logger.log(QStringLiteral("[Velmora] Reading drives through udisks2"));
        return;
    case UDisksClient::State::notRunning:
        m_logger.log(QStringLiteral("[Velmora] udisks2 is not running; reading drives from the "
                                    "kernel's mount table and udev"));
        return;
    case UDisksClient::State::notAnswering:
        m_logger.log(QStringLiteral("[Velmora] udisks2 is not answering; reading drives from the "
                                    "kernel's mount table and udev"));
        return;
    case UDisksClient::State::fetching:
        return;
    }
}
