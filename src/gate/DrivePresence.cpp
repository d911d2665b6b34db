#include "DrivePresence.h"

#include <QFile>
#include <QRegularExpression>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

constexpr qint64 maximumTableSize = 8 * 1024 * 1024;

QByteArray readBounded(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return file.read(maximumTableSize);
}

bool isSafeUuid(const QString& uuid) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9A-Fa-f-]{4,64}$"));
    return pattern.match(uuid).hasMatch();
}

} // namespace

DrivePresence::DrivePresence()
    : DrivePresence(QStringLiteral("/dev/disk/by-uuid"), QStringLiteral("/run/blkid/blkid.tab")) {}

DrivePresence::DrivePresence(QString byUuidFolder, QString blkidCache)
    : m_byUuidFolder(std::move(byUuidFolder))
    , m_blkidCache(std::move(blkidCache)) {}

bool DrivePresence::isAnyMounted(const QStringList& uuids) const {
    const QSet<dev_t> mounted = mountedDevices(readBounded(QStringLiteral("/proc/self/mountinfo")));
    for (const QString& uuid : uuids) {
        const dev_t device = deviceOf(uuid);
        if (device != 0 && mounted.contains(device))
            return true;
    }
    return false;
}

QSet<dev_t> DrivePresence::mountedDevices(const QByteArray& mountinfo) {
    QSet<dev_t> devices;
    for (const QByteArray& line : mountinfo.split('\n')) {
        // "<id> <parent> <major>:<minor> ..."
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3)
            continue;
        const QList<QByteArray> numbers = fields.at(2).split(':');
        bool majorOk = false;
        bool minorOk = false;
        const uint major = numbers.value(0).toUInt(&majorOk);
        const uint minor = numbers.value(1).toUInt(&minorOk);
        if (numbers.size() == 2 && majorOk && minorOk)
            devices.insert(makedev(major, minor));
    }
    return devices;
}

dev_t DrivePresence::deviceInBlkidCache(const QByteArray& cache, const QString& uuid) {
    const QByteArray wanted = "UUID=\"" + uuid.toLatin1() + '"';
    for (const QByteArray& line : cache.split('\n')) {
        if (!line.contains(wanted))
            continue;
        const qsizetype at = line.indexOf("DEVNO=\"0x");
        if (at < 0)
            continue;
        const qsizetype start = at + 9;
        const qsizetype end = line.indexOf('"', start);
        bool ok = false;
        const qulonglong number = line.mid(start, end - start).toULongLong(&ok, 16);
        if (end > start && ok)
            return static_cast<dev_t>(number);
    }
    return 0;
}

dev_t DrivePresence::deviceOf(const QString& uuid) const {
    if (!isSafeUuid(uuid))
        return 0;
    // Only the /dev node is looked at, never the drive or its mount point.
    struct stat node {};
    const QByteArray link = QFile::encodeName(m_byUuidFolder + QLatin1Char('/') + uuid);
    if (::stat(link.constData(), &node) == 0 && S_ISBLK(node.st_mode))
        return node.st_rdev;
    return deviceInBlkidCache(readBounded(m_blkidCache), uuid);
}
