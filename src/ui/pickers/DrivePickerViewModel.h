#pragma once

#include "pickers/MountedVolumeInfo.h"

#include <QList>
#include <QObject>
#include <QVariantList>

class ProtectedDrivesManager;
class VolumeSource;

// What the drive picker lists and what a click on a volume does: register it, then close.
class DrivePickerViewModel : public QObject {
    Q_OBJECT
    // One map per volume: id, name, path, symbol.
    Q_PROPERTY(QVariantList volumes READ volumes NOTIFY volumesChanged)
    Q_PROPERTY(bool isEmpty READ isEmpty NOTIFY volumesChanged)

public:
    DrivePickerViewModel(VolumeSource& volumes, ProtectedDrivesManager& drives,
                         QObject* parent = nullptr);

    const QList<MountedVolumeInfo>& mountedVolumes() const { return m_mountedVolumes; }
    QVariantList volumes() const;
    bool isEmpty() const { return m_mountedVolumes.isEmpty(); }

    // Lists the external volumes afresh; without a list from the system the last one stays.
    Q_INVOKABLE void scanVolumes();
    // Registers the listed volume with this id and closes the picker, also when the store
    // refuses it as already registered.
    Q_INVOKABLE void registerVolume(const QString& id);
    Q_INVOKABLE void dismiss();

signals:
    void volumesChanged();
    void dismissRequested();

private:
    VolumeSource& m_volumes;
    ProtectedDrivesManager& m_drives;
    QList<MountedVolumeInfo> m_mountedVolumes;
};
