#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <sys/types.h>

// Whether a filesystem of a given UUID is mounted, asked without touching the drive itself: the
// mount table's device numbers against the /dev nodes udev (or blkid's cache) names for the UUID.
// A failing or hung drive never blocks the answer.
class DrivePresence {
public:
    DrivePresence();
    DrivePresence(QString byUuidFolder, QString blkidCache);

    bool isAnyMounted(const QStringList& uuids) const;

    // The device numbers in mountinfo text.
    static QSet<dev_t> mountedDevices(const QByteArray& mountinfo);
    // The device number blkid's cache gives the UUID; 0 when it has none.
    static dev_t deviceInBlkidCache(const QByteArray& cache, const QString& uuid);

private:
    dev_t deviceOf(const QString& uuid) const;

    QString m_byUuidFolder;
    QString m_blkidCache;
};
