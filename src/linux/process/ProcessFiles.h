#pragma once

#include "process/FileKey.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <cstdint>
#include <optional>
#include <sys/types.h>

// What /proc tells about one process. Every read may fail: the process can end at any moment, and
// some files are readable only for the user's own processes. Failures read as empty.
class ProcessFiles {
public:
    struct Stat {
        char state = '?';
        pid_t parent = 0;
        unsigned flags = 0;
        // Clock ticks after boot; with the pid it names one process for the machine's uptime.
        std::uint64_t startTime = 0;

        bool isKernelThread() const;
        // The start time on the clock of secondsSinceBoot().
        double startSeconds() const;
        // A zombie or dead process has ended; it is no application.
        bool hasEnded() const { return state == 'Z' || state == 'X' || state == 'x'; }
    };

    static std::optional<Stat> stat(pid_t pid);
    // The user the process runs as; nullopt when it is gone.
    static std::optional<uid_t> owner(pid_t pid);
    static std::optional<Stat> parseStat(QByteArrayView contents);
    // The executable's path; empty for kernel threads and other users' processes.
    static QString executable(pid_t pid);
    // The executable file itself, without reading its path.
    static std::optional<FileKey> programKey(pid_t pid);
    // The arguments as the kernel keeps them, NUL-separated.
    static QByteArray rawCommandLine(pid_t pid);
    // The clock process start times are counted on.
    static double secondsSinceBoot();
    static QByteArray environment(pid_t pid);
    // The value of one variable in a NUL-separated environment block.
    static std::optional<QByteArray> variable(const QByteArray& environment,
                                              const QByteArray& name);
    // The path of the unified (cgroup v2) hierarchy, from the "0::" line.
    static QString unifiedCgroup(pid_t pid);
    static QString unifiedCgroupOf(const QByteArray& contents);
    // The Flatpak sandbox description seen from inside the process; empty outside a sandbox.
    static QByteArray flatpakInfo(pid_t pid);
    static QByteArray read(const QByteArray& path, qsizetype limit);
};
