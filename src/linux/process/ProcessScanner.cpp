#include "process/ProcessScanner.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr std::size_t listingBufferSize = 64 * 1024;
// Trying a number costs about what listing 20 processes does.
constexpr pid_t maximumTriedNumbers = 64;
constexpr int unsettledTries = 5;

// Process folders are named by digits only; everything else in /proc is skipped.
pid_t pidFromName(const char* name) {
    pid_t pid = 0;
    for (const char* c = name; *c; ++c) {
        if (*c < '0' || *c > '9' || pid > 100'000'000)
            return 0;
        pid = pid * 10 + (*c - '0');
    }
    return pid;
}

// The kernel's own record layout for getdents64.
struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

} // namespace

ProcessScanner::ProcessScanner(QByteArray procPath)
    : m_procPath(std::move(procPath)) {}

ProcessScanner::~ProcessScanner() {
    if (m_dirFd >= 0)
        ::close(m_dirFd);
    if (m_loadFd >= 0)
        ::close(m_loadFd);
}

// Kept open between scans, reading into one buffer: rewinding is cheaper than opening again.
const std::vector<ProcessScanner::Entry>& ProcessScanner::scan() {
    m_entries.clear();
    if (m_dirFd < 0)
        m_dirFd = ::open(m_procPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dirFd < 0 || ::lseek(m_dirFd, 0, SEEK_SET) != 0)
        return m_entries;
    // Before listing: a process made while the listing runs is news to the next scan.
    m_newestAtScan = newestPid();
    m_unsettled.clear();
    m_buffer.resize(listingBufferSize);
    for (;;) {
        const long got = ::syscall(SYS_getdents64, m_dirFd, m_buffer.data(), m_buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (long offset = 0; offset < got;) {
            const auto* entry = reinterpret_cast<const LinuxDirent64*>(m_buffer.data() + offset);
            offset += entry->d_reclen;
            const pid_t pid = pidFromName(entry->d_name);
            if (pid > 0)
                m_entries.push_back(Entry{pid, entry->d_ino});
        }
    }
    const auto byPid = [](const Entry& a, const Entry& b) { return a.pid < b.pid; };
    if (!std::is_sorted(m_entries.begin(), m_entries.end(), byPid))
        std::sort(m_entries.begin(), m_entries.end(), byPid);
    return m_entries;
}

bool ProcessScanner::mayHaveNewProcesses() {
    const std::optional<pid_t> newest = newestPid();
    return !newest || !m_newestAtScan || *newest != *m_newestAtScan;
}

// The last field of loadavg: "0.20 0.18 0.12 1/80 11206".
std::optional<pid_t> ProcessScanner::newestPid() {
    if (m_loadFd < 0)
        m_loadFd = ::open((m_procPath + "/loadavg").constData(), O_RDONLY | O_CLOEXEC);
    char text[128];
    const ssize_t got = m_loadFd < 0 ? -1 : ::pread(m_loadFd, text, sizeof text - 1, 0);
    if (got <= 0)
        return std::nullopt;
    text[got] = '\0';
    text[std::strcspn(text, "\n")] = '\0';
    const char* last = std::strrchr(text, ' ');
    const pid_t pid = last ? pidFromName(last + 1) : 0;
    if (pid <= 0)
        return std::nullopt;
    return pid;
}

std::optional<std::vector<ProcessScanner::Entry>> ProcessScanner::newSinceLastLook() {
    const std::optional<pid_t> newest = newestPid();
    if (!newest || !m_newestAtScan || *newest < *m_newestAtScan ||
        *newest - *m_newestAtScan > maximumTriedNumbers)
        return std::nullopt;
    std::vector<Entry> found;
    const std::vector<Unsettled> earlier = std::move(m_unsettled);
    m_unsettled.clear();
    for (const Unsettled& number : earlier)
        tryNumber(number.pid, number.triesLeft - 1, found);
    for (pid_t pid = *m_newestAtScan + 1; pid <= *newest; ++pid)
        tryNumber(pid, unsettledTries, found);
    m_newestAtScan = newest;
    return found;
}

// Only a process's leader has a pidfd: for a thread, and for a process still being made, the
// kernel refuses one.
void ProcessScanner::tryNumber(pid_t pid, int triesLeft, std::vector<Entry>& found) {
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd < 0) {
        if (triesLeft > 0)
            m_unsettled.push_back(Unsettled{pid, triesLeft});
        return;
    }
    ::close(pidfd);
    const QByteArray path = m_procPath + '/' + QByteArray::number(pid);
    struct statx info {};
    if (::statx(AT_FDCWD, path.constData(), AT_STATX_DONT_SYNC, STATX_INO, &info) != 0)
        return;
    found.push_back(Entry{pid, info.stx_ino});
}
