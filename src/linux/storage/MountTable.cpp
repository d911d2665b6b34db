#include "storage/MountTable.h"

#include <QFile>
#include <QSet>

namespace {

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

bool isUnder(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

const QSet<QString>& pseudoFilesystems() {
    static const QSet<QString> types{
        QStringLiteral("proc"),        QStringLiteral("sysfs"),
        QStringLiteral("devtmpfs"),    QStringLiteral("devpts"),
        QStringLiteral("cgroup"),      QStringLiteral("cgroup2"),
        QStringLiteral("securityfs"),  QStringLiteral("debugfs"),
        QStringLiteral("tracefs"),     QStringLiteral("pstore"),
        QStringLiteral("bpf"),         QStringLiteral("mqueue"),
        QStringLiteral("hugetlbfs"),   QStringLiteral("configfs"),
        QStringLiteral("fusectl"),     QStringLiteral("binfmt_misc"),
        QStringLiteral("autofs"),      QStringLiteral("rpc_pipefs"),
        QStringLiteral("nsfs"),        QStringLiteral("efivarfs"),
        QStringLiteral("selinuxfs"),   QStringLiteral("overlay"),
        QStringLiteral("ramfs"),       QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("fuse.portal"), QStringLiteral("fuse.lxcfs"),
    };
    return types;
}

} // namespace

std::optional<QList<MountTable::Entry>> MountTable::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

QList<MountTable::Entry> MountTable::parse(const QByteArray& contents) {
    QList<Entry> entries;
    for (const QByteArray& line : contents.split('\n')) {
        // id parent major:minor root mountpoint options [optional fields...] - fstype source
        // options
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 6 || separator < 6 || separator + 2 >= fields.size())
            continue;
        const QList<QByteArray> device = fields[2].split(':');
        bool majorOk = false;
        bool minorOk = false;
        Entry entry;
        entry.major = device.value(0).toUInt(&majorOk);
        entry.minor = device.value(1).toUInt(&minorOk);
        if (device.size() != 2 || !majorOk || !minorOk)
            continue;
        entry.mountId = fields[0].toInt();
        entry.isReadOnly = fields[5].split(',').contains("ro");
        entry.root = unescape(fields[3]);
        entry.mountPoint = unescape(fields[4]);
        entry.fsType = unescape(fields[separator + 1]);
        entry.source = unescape(fields[separator + 2]);
        entries.append(entry);
    }
    return entries;
}

QString MountTable::unescape(const QByteArray& field) {
    QByteArray decoded;
    decoded.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const bool escape = field[i] == '\\' && i + 3 < field.size() &&
                            isOctalDigit(field[i + 1]) && isOctalDigit(field[i + 2]) &&
                            isOctalDigit(field[i + 3]);
        if (!escape) {
            decoded.append(field[i]);
            continue;
        }
        decoded.append(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                         (field[i + 3] - '0')));
        i += 3;
    }
    // Names that are not valid UTF-8 keep their readable part; the rest becomes U+FFFD.
    return QString::fromUtf8(decoded);
}

bool MountTable::isHidden(const Entry& entry) {
    if (entry.root != QLatin1String("/"))
        return true; // a bind mount of a folder, not a volume
    if (pseudoFilesystems().contains(entry.fsType) ||
        entry.fsType.startsWith(QLatin1String("fuse.snap")))
        return true;
    const QString& path = entry.mountPoint;
    if (entry.fsType == QLatin1String("squashfs") &&
        (isUnder(path, QStringLiteral("/snap")) || isUnder(path, QStringLiteral("/var/lib/snapd"))))
        return true;
    if (isUnder(path, QStringLiteral("/run")))
        return !isUnder(path, QStringLiteral("/run/media"));
    static const QStringList systemFolders{QStringLiteral("/proc"),
                                           QStringLiteral("/sys"),
                                           QStringLiteral("/dev"),
                                           QStringLiteral("/boot"),
                                           QStringLiteral("/snap"),
                                           QStringLiteral("/var/lib/docker"),
                                           QStringLiteral("/var/lib/containers"),
                                           QStringLiteral("/var/run"),
                                           QStringLiteral("/var/lock")};
    for (const QString& folder : systemFolders) {
        if (isUnder(path, folder))
            return true;
    }
    return entry.fsType == QLatin1String("tmpfs") && path == QLatin1String("/tmp");
}
