#pragma once

#include "pickers/MountedVolumeInfo.h"
#include "ports/MountedVolume.h"

#include <QList>
#include <optional>

class VolumeSource;

// Which mounted volumes the user can register as external drives, and what they are called.
// Facts come from the same volume source the mount check reads, so a registered UUID is always
// one the check can find again.
class VolumeDiscovery {
public:
    // The external volumes in the source's order, without the root and home filesystems;
    // nullopt when the source gives no list.
    static std::optional<QList<MountedVolumeInfo>> scanVolumes(VolumeSource& source);

    // Removable, or reported as not internal; never a virtual filesystem.
    static bool isExternal(const MountedVolume& volume);
    // The localized name, else the name, else the last component of the mount path.
    static QString displayName(const MountedVolume& volume);
    static std::optional<QString> getVolumeUUID(const MountedVolume& volume);
};
