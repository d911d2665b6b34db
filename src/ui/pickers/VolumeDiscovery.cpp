#include "pickers/VolumeDiscovery.h"

#include "ports/VolumeSource.h"

#include <QFileInfo>

std::optional<QList<MountedVolumeInfo>> VolumeDiscovery::scanVolumes(VolumeSource& source) {
    const auto volumes = source.mountedVolumes();
    if (!volumes)
        return std::nullopt;
    QList<MountedVolumeInfo> found;
    for (const MountedVolume& volume : *volumes) {
        if (!isExternal(volume))
            continue;
        found.append(MountedVolumeInfo{QUuid::createUuid(), displayName(volume), volume.mountPath,
                                       getVolumeUUID(volume), volume.isRemovable,
                                       volume.isReadOnly});
    }
    return found;
}

bool VolumeDiscovery::isExternal(const MountedVolume& volume) {
    return volume.isRemovable || !volume.isInternal;
}

QString VolumeDiscovery::displayName(const MountedVolume& volume) {
    if (!volume.localizedName.isEmpty())
        return volume.localizedName;
    if (!volume.name.isEmpty())
        return volume.name;
    const QString last = QFileInfo(volume.mountPath).fileName();
    return last.isEmpty() ? volume.mountPath : last;
}

std::optional<QString> VolumeDiscovery::getVolumeUUID(const MountedVolume& volume) {
    if (volume.uuid.isEmpty())
        return std::nullopt;
    return volume.uuid;
}
