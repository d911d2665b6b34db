#pragma once

#include "ports/MountedVolume.h"

#include <QList>
#include <optional>

// The mounted volumes the user can see, in the system's order. Hidden (system and pseudo)
// filesystems are left out. nullopt when no list could be obtained at all.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    virtual std::optional<QList<MountedVolume>> mountedVolumes() = 0;
};
