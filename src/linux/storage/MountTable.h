#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The kernel's table of mounts (/proc/self/mountinfo).
class MountTable {
public:
    struct Entry {
        unsigned major = 0;
        unsigned minor = 0;
        // The path inside the filesystem that is mounted; "/" for a whole filesystem.
        QString root;
        QString mountPoint;
        QString fsType;
        QString source;
        // The system's number for the mount; reused once the mount is gone.
        int mountId = 0;
        bool isReadOnly = false;
    };

    // nullopt when the table cannot be read.
    static std::optional<QList<Entry>>
    read(const QString& path = QStringLiteral("/proc/self/mountinfo"));
    // Malformed lines are skipped.
    static QList<Entry> parse(const QByteArray& contents);
    // Decodes the kernel's octal escapes (\040 space, \011 tab, \012 newline, \134 backslash).
    static QString unescape(const QByteArray& field);
    // Pseudo and system filesystems the user never thinks of as a volume.
    static bool isHidden(const Entry& entry);
};
