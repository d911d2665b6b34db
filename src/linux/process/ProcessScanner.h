#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <sys/types.h>
#include <vector>

// Lists the processes in /proc. Each entry's inode stays the same for as long as the kernel
// keeps that process's entry, so an unchanged inode means "nothing to read again"; a changed one
// only means "look closer".
class ProcessScanner {
public:
    struct Entry {
        pid_t pid = 0;
        std::uint64_t inode = 0;
        bool operator==(const Entry&) const = default;
    };

    explicit ProcessScanner(QByteArray procPath = QByteArrayLiteral("/proc"));
    ~ProcessScanner();
    ProcessScanner(const ProcessScanner&) = delete;
    ProcessScanner& operator=(const ProcessScanner&) = delete;

    // In ascending order; empty when /proc cannot be read. Valid until the next scan.
    const std::vector<Entry>& scan();
    // Whether any process or thread was made since the last scan began: the kernel hands out
    // numbers in turn, and the last one it gave is one small read away, where a listing costs
    // a lookup for every process. True when that cannot be told.
    bool mayHaveNewProcesses();
    // The processes made since the last scan or look, found by trying each number handed out
    // since (a thread's number is no process); empty when none was. Numbers not yet or no
    // longer a process are tried again at the next few looks, as a process is visible only once
    // its making is complete. Nullopt when only a listing can tell: the numbers wrapped, they
    // cannot be read, or so many were handed out that a listing is cheaper.
    std::optional<std::vector<Entry>> newSinceLastLook();

private:
    struct Unsettled {
        pid_t pid = 0;
        int triesLeft = 0;
    };

    std::optional<pid_t> newestPid();
    void tryNumber(pid_t pid, int triesLeft, std::vector<Entry>& found);

    QByteArray m_procPath;
    int m_dirFd = -1;
    int m_loadFd = -1;
    std::vector<char> m_buffer;
    std::vector<Entry> m_entries;
    std::optional<pid_t> m_newestAtScan;
    std::vector<Unsettled> m_unsettled;
};
