#include "process/ProcessScanner.h"

namespace {

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

} // namespace

ProcessScanner::ProcessScanner(QByteArray procPath)
    : m_procPath(std::move(procPath)) {}

ProcessScanner::~ProcessScanner() {
    if (m_dir)
        ::closedir(m_dir);
}

std::vector<ProcessScanner::Entry> ProcessScanner::scan() {
    // Kept open between scans: rewinding is cheaper than opening again.
    if (!m_dir)
        m_dir = ::opendir(m_procPath.constData());
    if (!m_dir)
        return {};
    ::rewinddir(m_dir);
    std::vector<Entry> entries;
    entries.reserve(1024);
    while (const dirent* entry = ::readdir(m_dir)) {
        const pid_t pid = pidFromName(entry->d_name);
        if (pid > 0)
            entries.push_back(Entry{pid, entry->d_ino});
    }
    return entries;
}
