#include "platform/linux/LinuxVolumeSource.h"

#include "platform/Logger.h"
#include "platform/linux/MountTable.h"
#include "platform/linux/SysfsBlockDevices.h"

#include <QFileInfo>

namespace {

QString lastComponent(const QString& mountPoint) {
    const QString name = QFileInfo(mountPoint).fileName();
    return name.isEmpty() ? mountPoint : name;
}

} // namespace

LinuxVolumeSource::LinuxVolumeSource(Logger& logger, UDisksClient udisks, QString mountTablePath)
    : m_logger(logger)
    , m_udisks(std::move(udisks))
    , m_mountTablePath(std::move(mountTablePath)) {}

std::optional<QList<MountedVolume>> LinuxVolumeSource::mountedVolumes() {
    const auto table = MountTable::read(m_mountTablePath);
    if (!table) {
        m_logger.log(
            QStringLiteral("[Velmora] Cannot read the mount table %1").arg(m_mountTablePath));
        return std::nullopt;
    }
    const auto udisksDevices = m_udisks.blockDevices();
    noteDeviceSource(udisksDevices.has_value());
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
        // Filesystems without a device (a user's tmpfs, a network share) are not system disks.
        volume.isRemovable = facts && facts->isRemovable;
        volume.isInternal = facts && facts->isInternal;
        volume.uuid = facts ? facts->uuid : QString();
        volumes.append(volume);
    }
    return volumes;
}

// One line when the source of device facts changes, not one per poll.
void LinuxVolumeSource::noteDeviceSource(bool udisksRunning) {
    if (m_udisksWasRunning == udisksRunning)
        return;
    m_udisksWasRunning = udisksRunning;
    m_logger.log(udisksRunning
                     ? QStringLiteral("[Velmora] Reading drives through udisks2")
                     : QStringLiteral("[Velmora] udisks2 is not running; reading drives from the "
                                      "kernel's mount table and udev"));
}
