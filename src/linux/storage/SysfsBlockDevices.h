#pragma once

#include "storage/BlockDeviceFacts.h"

#include <QHash>
#include <QString>
#include <optional>

// Block devices as the kernel and udev describe them, for when udisks2 is not running:
// /sys/dev/block, /dev/disk/by-uuid, /dev/disk/by-label and, where the device is readable,
// libblkid. One instance is one snapshot of the udev links.
class SysfsBlockDevices {
public:
    SysfsBlockDevices();

    // nullopt when major:minor is not a block device.
    std::optional<BlockDeviceFacts> facts(unsigned major, unsigned minor) const;

private:
    static QHash<QString, QString> readLinks(const QString& folder);

    // Device node path → UUID or label, from the udev links.
    QHash<QString, QString> m_uuidByDevice;
    QHash<QString, QString> m_labelByDevice;
};
