#include "model/ProtectedDrivesManager.h"

#include "model/Defaults.h"
#include "model/LogName.h"
#include "ports/Logger.h"

ProtectedDrivesManager::ProtectedDrivesManager(Defaults& defaults, Logger& logger, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_logger(logger)
    , m_drives(defaults.protectedDrives()) {}

void ProtectedDrivesManager::setDrives(const QList<ProtectedDrive>& drives) {
    m_drives = drives;
    emit drivesChanged();
}

std::optional<ProtectedDrive> ProtectedDrivesManager::drive(const QUuid& id) const {
    for (const ProtectedDrive& each : m_drives) {
        if (each.id == id)
            return each;
    }
    return std::nullopt;
}

void ProtectedDrivesManager::addDrive(const QString& name, const QString& mountPoint,
                                      const std::optional<QString>& volumeUUIDString) {
    for (const ProtectedDrive& each : m_drives) {
        if (each.mountPoint == mountPoint)
            return;
    }
    m_drives.append(ProtectedDrive{QUuid::createUuid(), name, mountPoint, volumeUUIDString, true,
                                   QDateTime::currentDateTimeUtc()});
    emit drivesChanged();
    save();
    m_logger.log(QStringLiteral("[Velmora] Added protected drive: %1 (%2)")
                     .arg(logName(name), logName(mountPoint)));
}

void ProtectedDrivesManager::removeDrive(const ProtectedDrive& drive) {
    if (m_drives.removeIf([&](const ProtectedDrive& each) { return each.id == drive.id; }) > 0)
        emit drivesChanged();
    save();
    m_logger.log(QStringLiteral("[Velmora] Removed protected drive: %1").arg(logName(drive.name)));
}

void ProtectedDrivesManager::toggleDrive(const ProtectedDrive& drive) {
    for (ProtectedDrive& each : m_drives) {
        if (each.id != drive.id)
            continue;
        each.isEnabled = !each.isEnabled;
        emit drivesChanged();
        save();
        return;
    }
}

void ProtectedDrivesManager::setKeyHashes(const QUuid& id, const std::optional<QString>& keyHash,
                                          const std::optional<QString>& previousKeyHash) {
    ProtectedDrive* drive = find(id);
    if (!drive)
        return;
    drive->keyHash = keyHash;
    drive->previousKeyHash = previousKeyHash;
    emit drivesChanged();
    save();
}

void ProtectedDrivesManager::markCannotHoldKey(const QUuid& id) {
    ProtectedDrive* drive = find(id);
    if (!drive || drive->cannotHoldKey)
        return;
    drive->cannotHoldKey = true;
    emit drivesChanged();
    save();
}

void ProtectedDrivesManager::setHardware(const QUuid& id, const HardwareIdentity& hardware) {
    ProtectedDrive* drive = find(id);
    if (!drive || drive->hardware == hardware)
        return;
    drive->hardware = hardware;
    emit drivesChanged();
    save();
}

ProtectedDrive* ProtectedDrivesManager::find(const QUuid& id) {
    for (ProtectedDrive& each : m_drives) {
        if (each.id == id)
            return &each;
    }
    return nullptr;
}

void ProtectedDrivesManager::save() {
    m_defaults.setProtectedDrives(m_drives);
    emit changed();
}
