#pragma once

#include "platform/VolumeSource.h"
#include "platform/linux/UDisksClient.h"

class Logger;

// Mounted volumes: the kernel's mount table says what is mounted where; udisks2, when it runs,
// describes each block device, otherwise udev's links, sysfs and libblkid do. Both paths report
// the filesystem UUID exactly as blkid reads it, so registration and the mount check agree.
class LinuxVolumeSource : public VolumeSource {
public:
    explicit LinuxVolumeSource(Logger& logger, UDisksClient udisks = UDisksClient(),
                               QString mountTablePath = QStringLiteral("/proc/self/mountinfo"));

    std::optional<QList<MountedVolume>> mountedVolumes() override;

private:
    void noteDeviceSource(bool udisksRunning);

    Logger& m_logger;
    UDisksClient m_udisks;
    QString m_mountTablePath;
    std::optional<bool> m_udisksWasRunning;
};
