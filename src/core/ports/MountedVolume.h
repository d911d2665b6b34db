#pragma once

#include "model/HardwareIdentity.h"

#include <QString>

// One mounted filesystem as the volume source reports it.
struct MountedVolume {
    QString mountPath;
    // The filesystem label, or the last component of the mount path when it has none.
    QString name;
    QString localizedName;
    bool isRemovable = false;
    bool isInternal = false;
    // The filesystem UUID exactly as the system reports it; empty when it has none.
    QString uuid;
    // Memory, overlay, image or FUSE filesystems with no block device behind them: something
    // mounted, never an external drive.
    bool isVirtual = false;
    // The system's number for this mount: a volume mounted again gets a new one.
    int mountId = 0;
    bool isReadOnly = false;
    // Empty when the system does not say (udisks2 not running, a loop device).
    HardwareIdentity hardware = {};

    bool operator==(const MountedVolume&) const = default;
};
