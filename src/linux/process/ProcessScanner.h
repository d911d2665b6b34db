#pragma once

#include <QByteArray>
#include <cstdint>
#include <dirent.h>
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
    };

    explicit ProcessScanner(QByteArray procPath = QByteArrayLiteral("/proc"));
    ~ProcessScanner();
    ProcessScanner(const ProcessScanner&) = delete;
    ProcessScanner& operator=(const ProcessScanner&) = delete;

    // Empty when /proc cannot be read.
    std::vector<Entry> scan();

private:
    QByteArray m_procPath;
    DIR* m_dir = nullptr;
};
