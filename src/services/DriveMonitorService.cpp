#include "services/DriveMonitorService.h"

#include "model/ProtectedDrivesManager.h"
#include "platform/VolumeSource.h"

DriveMonitorService::DriveMonitorService(VolumeSource& volumes, ProtectedDrivesManager& drives,
                                         QObject* parent)
    : QObject(parent)
    , m_volumes(volumes)
    , m_drives(drives) {}

bool DriveMonitorService::isDriveMounted(const ProtectedDrive& drive) const {
    const auto volumes = m_volumes.mountedVolumes();
    if (!volumes)
        return false;
    for (const MountedVolume& volume : *volumes) {
        if (drive.volumeUUIDString) {
            if (volume.uuid == *drive.volumeUUIDString)
                return true;
        } else if (volume.name == drive.name) {
            return true;
        }
    }
    return false;
}

bool DriveMonitorService::isRequiredDriveAvailable(const ProtectedApp& app) const {
    if (!app.requiredDriveID)
        return true;
    const auto drive = m_drives.drive(*app.requiredDriveID);
    if (!drive)
        return false;
    if (!drive->isEnabled)
        return true;
    return isDriveMounted(*drive);
}
