#pragma once

#include "ports/VolumeSource.h"
#include "storage/UDisksClient.h"

class Logger;

// Mounted volumes: the kernel's mount table says what is mounted where; udisks2, when it runs,
// describes each block device from what it last said, otherwise udev's links, sysfs and libblkid
// do. Both paths report
// the filesystem UUID exactly as blkid reads it, so registration and the mount check agree.
class LinuxVolumeSource : public VolumeSource {
public:
    explicit LinuxVolumeSource(Logger& logger,
                               QDBusConnection systemBus = QDBusConnection::systemBus(),
                               QString mountTablePath = QStringLiteral("/proc/self/mountinfo"));

    std::optional<QList<MountedVolume>> mountedVolumes() override;

private:
    void noteDeviceSource(UDisksClient::State state);

    Logger& m_logger;
    UDisksClient m_udisks;
    QString m_mountTablePath;
    std::optional<UDisksClient::State> m_loggedState;
};
