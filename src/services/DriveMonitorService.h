#pragma once

#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"

#include <QObject>

class ProtectedDrivesManager;
class VolumeSource;

// Decides whether registered drives are present. Nothing is cached: every question asks the
// system for the mounted volumes again.
class DriveMonitorService : public QObject {
    Q_OBJECT

public:
    DriveMonitorService(VolumeSource& volumes, ProtectedDrivesManager& drives,
                        QObject* parent = nullptr);

    // Whether a mounted volume is this drive; ignores isEnabled. With a recorded UUID only the
    // UUID decides, otherwise the volume name.
    bool isDriveMounted(const ProtectedDrive& drive) const;
    // Whether the application may run as far as its drive is concerned. A drive record that no
    // longer exists counts as unavailable; a disabled drive as available.
    bool isRequiredDriveAvailable(const ProtectedApp& app) const;

private:
    VolumeSource& m_volumes;
    ProtectedDrivesManager& m_drives;
};
