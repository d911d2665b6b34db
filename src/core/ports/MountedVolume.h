#pragma once

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

    bool operator==(const MountedVolume&) const = default;
};
