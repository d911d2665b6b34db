#include "storage/SysfsBlockDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <blkid/blkid.h>

namespace {

// udev escapes unsafe characters in link names as \xNN.
QString unescapeUdevName(const QString& name) {
    QByteArray decoded;
    const QByteArray raw = name.toUtf8();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        bool ok = false;
        const int value = i + 3 < raw.size() && raw[i] == '\\' && raw[i + 1] == 'x'
                              ? raw.mid(i + 2, 2).toInt(&ok, 16)
                              : 0;
        if (!ok) {
            decoded.append(raw[i]);
            continue;
        }
        decoded.append(static_cast<char>(value));
        i += 3;
    }
    return QString::fromUtf8(decoded);
}

QString readFirstLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

struct Probe {
    QString uuid;
    QString label;
};

// Reads the superblock directly; works only when the device node is readable (root, disk group).
Probe probeSuperblock(const QString& devicePath) {
    Probe result;
    blkid_probe probe = blkid_new_probe_from_filename(devicePath.toLocal8Bit().constData());
    if (!probe)
        return result;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID);
    if (blkid_do_safeprobe(probe) == 0) {
        const char* value = nullptr;
        if (blkid_probe_lookup_value(probe, "UUID", &value, nullptr) == 0 && value)
            result.uuid = QString::fromUtf8(value);
        if (blkid_probe_lookup_value(probe, "LABEL", &value, nullptr) == 0 && value)
            result.label = QString::fromUtf8(value);
    }
    blkid_free_probe(probe);
    return result;
}

// External: removable media, USB, FireWire or memory cards, or a disk image attached by the user.
bool isExternalPath(const QString& sysfsPath, const QString& deviceName) {
    return sysfsPath.contains(QLatin1String("/usb")) ||
           sysfsPath.contains(QLatin1String("/firewire")) ||
           sysfsPath.contains(QLatin1String("/mmc")) ||
           deviceName.startsWith(QLatin1String("loop"));
}

} // namespace

SysfsBlockDevices::SysfsBlockDevices()
    : m_uuidByDevice(readLinks(QStringLiteral("/dev/disk/by-uuid")))
    , m_labelByDevice(readLinks(QStringLiteral("/dev/disk/by-label"))) {}

QHash<QString, QString> SysfsBlockDevices::readLinks(const QString& folder) {
    QHash<QString, QString> byDevice;
    const QFileInfoList links = QDir(folder).entryInfoList(QDir::System | QDir::Files);
    for (const QFileInfo& link : links)
        byDevice.insert(link.canonicalFilePath(), unescapeUdevName(link.fileName()));
    return byDevice;
}

std::optional<BlockDeviceFacts> SysfsBlockDevices::facts(unsigned major, unsigned minor) const {
    const QString sysfsPath =
        QFileInfo(QStringLiteral("/sys/dev/block/%1:%2").arg(major).arg(minor)).canonicalFilePath();
    if (sysfsPath.isEmpty())
        return std::nullopt;
    const QString deviceName = QFileInfo(sysfsPath).fileName();
    const QString devicePath = QStringLiteral("/dev/") + deviceName;
    // A partition's removable flag is its disk's.
    const QString diskPath = QFileInfo::exists(sysfsPath + QStringLiteral("/partition"))
                                 ? QFileInfo(sysfsPath).path()
                                 : sysfsPath;

    BlockDeviceFacts facts;
    facts.uuid = m_uuidByDevice.value(devicePath);
    facts.label = m_labelByDevice.value(devicePath);
    if (facts.uuid.isEmpty()) {
        const Probe probe = probeSuperblock(devicePath);
        facts.uuid = probe.uuid;
        if (facts.label.isEmpty())
            facts.label = probe.label;
    }
    facts.isRemovable =
        readFirstLine(diskPath + QStringLiteral("/removable")) == QLatin1String("1");
    facts.isInternal = !facts.isRemovable && !isExternalPath(sysfsPath, deviceName);
    return facts;
}
