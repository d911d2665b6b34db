#include "pickers/DrivePickerViewModel.h"

#include "model/ProtectedDrivesManager.h"
#include "pickers/VolumeDiscovery.h"

#include <QVariantMap>

DrivePickerViewModel::DrivePickerViewModel(VolumeSource& volumes, ProtectedDrivesManager& drives,
                                           QObject* parent)
    : QObject(parent)
    , m_volumes(volumes)
    , m_drives(drives) {}

QVariantList DrivePickerViewModel::volumes() const {
    QVariantList list;
    for (const MountedVolumeInfo& volume : m_mountedVolumes) {
        list.append(QVariantMap{
            {QStringLiteral("id"), volume.id.toString(QUuid::WithoutBraces)},
            {QStringLiteral("name"), volume.name},
            {QStringLiteral("path"), volume.path},
            {QStringLiteral("symbol"), volume.isRemovable ? QStringLiteral("externaldrive")
                                                          : QStringLiteral("internaldrive")},
            {QStringLiteral("isReadOnly"), volume.isReadOnly},
        });
    }
    return list;
}

void DrivePickerViewModel::scanVolumes() {
    const auto found = VolumeDiscovery::scanVolumes(m_volumes);
    if (!found)
        return;
    m_mountedVolumes = *found;
    emit volumesChanged();
}

void DrivePickerViewModel::registerVolume(const QString& id) {
    const QUuid wanted(id);
    for (const MountedVolumeInfo& each : m_mountedVolumes) {
        if (each.id != wanted)
            continue;
        // The store's observers may run anything; keep our own copy of the entry.
        const MountedVolumeInfo volume = each;
        m_drives.addDrive(volume.name, volume.path, volume.uuid);
        dismiss();
        return;
    }
}

void DrivePickerViewModel::dismiss() {
    emit dismissRequested();
}
