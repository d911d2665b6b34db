#pragma once

#include <QString>
#include <QStringList>

// Real filesystems for integration tests: tmpfs folders and labelled disk images on loop devices.
// Everything mounted is unmounted (and its loop device released) when the object goes away.
class TestMounts {
public:
    ~TestMounts();

    // Empty when this process may mount; otherwise why not, for QSKIP.
    static QString whyMountingIsNotPossible();

    bool mountTmpfs(const QString& folder);
    // fsType "ext4" or "vfat"; uuid in the filesystem's own form.
    bool mountImage(const QString& image, const QString& fsType, const QString& label,
                    const QString& uuid, const QString& folder);
    // An image made earlier (or a copy of one), read-only if asked.
    bool mountExisting(const QString& image, const QString& folder, bool readOnly = false);
    bool unmount(const QString& folder);

    QString lastError;

private:
    bool run(const QString& program, const QStringList& arguments);

    QStringList m_mounted;
};
