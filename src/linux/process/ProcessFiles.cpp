#include "process/ProcessFiles.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// PF_KTHREAD in the kernel's task flags.
constexpr unsigned kernelThreadFlag = 0x00200000;
constexpr qsizetype smallFileLimit = 64 * 1024;
// Environment blocks can be large; the variables we look for are not worth more than this.
constexpr qsizetype environmentLimit = 1024 * 1024;

QByteArray procPath(pid_t pid, const char* file) {
    return QByteArray("/proc/") + QByteArray::number(pid) + '/' + file;
}

} // namespace

bool ProcessFiles::Stat::isKernelThread() const {
    return (flags & kernelThreadFlag) != 0;
}

double ProcessFiles::Stat::startSeconds() const {
    static const double ticksPerSecond = static_cast<double>(::sysconf(_SC_CLK_TCK));
    return static_cast<double>(startTime) / ticksPerSecond;
}

double ProcessFiles::secondsSinceBoot() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Read into the stack: this is the one file read for every new process.
std::optional<ProcessFiles::Stat> ProcessFiles::stat(pid_t pid) {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[1024];
    ssize_t got = 0;
    do {
        got = ::read(fd, buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    ::close(fd);
    if (got <= 0)
        return std::nullopt;
    return parseStat(QByteArrayView(buffer, got));
}

std::optional<ProcessFiles::Stat> ProcessFiles::parseStat(QByteArrayView contents) {
    // The command name is in parentheses and may itself hold spaces and parentheses.
    const qsizetype close = contents.lastIndexOf(')');
    if (close < 0 || close + 2 > contents.size())
        return std::nullopt;
    // state(3) ppid(4) ... flags(9) ... starttime(22), counted from the pid as 1.
    QByteArrayView fields[20];
    qsizetype count = 0;
    for (qsizetype at = close + 2; at <= contents.size() && count < 20;) {
        qsizetype end = contents.indexOf(' ', at);
        if (end < 0)
            end = contents.size();
        fields[count++] = contents.sliced(at, end - at);
        at = end + 1;
    }
    if (count < 20 || fields[0].size() != 1)
        return std::nullopt;
    bool parentOk = false;
    bool flagsOk = false;
    bool startOk = false;
    Stat stat;
    stat.state = fields[0][0];
    stat.parent = fields[1].toInt(&parentOk);
    stat.flags = fields[6].toUInt(&flagsOk);
    stat.startTime = fields[19].trimmed().toULongLong(&startOk);
    if (!parentOk || !flagsOk || !startOk)
        return std::nullopt;
    return stat;
}

std::optional<uid_t> ProcessFiles::owner(pid_t pid) {
    struct stat info {};
    if (::stat(procPath(pid, "").constData(), &info) != 0)
        return std::nullopt;
    return info.st_uid;
}

QString ProcessFiles::executable(pid_t pid) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(procPath(pid, "exe").constData(), buffer, sizeof buffer);
    if (length <= 0 || length == sizeof buffer)
        return {};
    QString path = QString::fromLocal8Bit(buffer, length);
    // A program replaced on disk (an upgrade) is still the same program.
    const QString deleted = QStringLiteral(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return path;
}

std::optional<FileKey> ProcessFiles::programKey(pid_t pid) {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/exe", static_cast<int>(pid));
    return FileKey::of(path);
}

QByteArray ProcessFiles::rawCommandLine(pid_t pid) {
    return read(procPath(pid, "cmdline"), smallFileLimit);
}

QByteArray ProcessFiles::environment(pid_t pid) {
    return read(procPath(pid, "environ"), environmentLimit);
}

std::optional<QByteArray> ProcessFiles::variable(const QByteArray& environment,
                                                 const QByteArray& name) {
    const QByteArray prefix = name + '=';
    // Walked in place: a block holds hundreds of variables, and most processes have none of ours.
    for (qsizetype at = 0; at < environment.size();) {
        qsizetype end = environment.indexOf('\0', at);
        if (end < 0)
            end = environment.size();
        const QByteArrayView entry(environment.constData() + at, end - at);
        if (entry.startsWith(prefix))
            return entry.sliced(prefix.size()).toByteArray();
        at = end + 1;
    }
    return std::nullopt;
}

QString ProcessFiles::unifiedCgroup(pid_t pid) {
    return unifiedCgroupOf(read(procPath(pid, "cgroup"), smallFileLimit));
}

QString ProcessFiles::unifiedCgroupOf(const QByteArray& contents) {
    for (const QByteArray& line : contents.split('\n')) {
        if (line.startsWith("0::"))
            return QString::fromUtf8(line.mid(3));
    }
    return {};
}

QByteArray ProcessFiles::flatpakInfo(pid_t pid) {
    return read(procPath(pid, "root/.flatpak-info"), smallFileLimit);
}

QByteArray ProcessFiles::read(const QByteArray& path, qsizetype limit) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray contents;
    char buffer[16384];
    while (contents.size() < limit) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        contents.append(buffer, got);
    }
    ::close(fd);
    return contents.left(limit);
}
