#pragma once

#include "model/ProtectedDrive.h"

#include <QList>
#include <QObject>

class Defaults;
class Logger;

// The registered drives in insertion order: loaded once, and the only writer of the stored list.
class ProtectedDrivesManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<ProtectedDrive> drives READ drives WRITE setDrives NOTIFY drivesChanged)

public:
    ProtectedDrivesManager(Defaults& defaults, Logger& logger, QObject* parent = nullptr);

    const QList<ProtectedDrive>& drives() const { return m_drives; }
    // Replaces the in-memory list without saving it.
    void setDrives(const QList<ProtectedDrive>& drives);

    std::optional<ProtectedDrive> drive(const QUuid& id) const;
    void addDrive(const QString& name, const QString& mountPoint,
                  const std::optional<QString>& volumeUUIDString);
    // Applications requiring the drive keep pointing at its id.
    void removeDrive(const ProtectedDrive& drive);
    void toggleDrive(const ProtectedDrive& drive);
    // Records the hashes of the secret the drive carries; unknown ids are ignored.
    void setKeyHashes(const QUuid& id, const std::optional<QString>& keyHash,
                      const std::optional<QString>& previousKeyHash);
    void markCannotHoldKey(const QUuid& id);
    void setHardware(const QUuid& id, const HardwareIdentity& hardware);

signals:
    void drivesChanged();
    // Sent after every save.
    void changed();

private:
    void save();
    ProtectedDrive* find(const QUuid& id);

    Defaults& m_defaults;
    Logger& m_logger;
    QList<ProtectedDrive> m_drives;
};
