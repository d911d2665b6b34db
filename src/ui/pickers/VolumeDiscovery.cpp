#include "pickers/VolumeDiscovery.h"

#include "ports/VolumeSource.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool isUnder(const QString& path, const QString& folder) {
    return path == folder || folder == QLatin1String("/") || path.startsWith(folder + u'/');
}

// The mount point holding the user's home: the deepest one above it.
QString homeMountPoint(const QList<MountedVolume>& volumes) {
    const QString home = QDir::homePath();
    QString deepest;
    for (const MountedVolume& volume : volumes) {
        if (isUnder(home, volume.mountPath) && volume.mountPath.size() > deepest.size())
            deepest = volume.mountPath;
    }
    return deepest;
}

} // namespace

std::optional<QList<MountedVolumeInfo>> VolumeDiscovery::scanVolumes(VolumeSource& source) {
    const auto volumes = source.mountedVolumes();
    if (!volumes)
        return std::nullopt;
    // Whatever a system reports about them, the system's own and the home filesystem are no key.
    const QStringList systemPaths{QStringLiteral("/"), homeMountPoint(*volumes)};
    QList<MountedVolumeInfo> found;
    for (const MountedVolume& volume : *volumes) {
        if (!isExternal(volume) || systemPaths.contains(volume.mountPath))
            continue;
        found.append(MountedVolumeInfo{QUuid::createUuid(), displayName(volume), volume.mountPath,
                                       getVolumeUUID(volume), volume.isRemovable,
                                       volume.isReadOnly});
    }
    return found;
}

bool VolumeDiscovery::isExternal(const MountedVolume& volume) {
    if (volume.isVirtual)
        return false;
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
