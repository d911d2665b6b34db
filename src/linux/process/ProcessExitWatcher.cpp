#include "process/ProcessExitWatcher.h"

#include "process/ProcessFiles.h"

#include <QSocketNotifier>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Called through syscall(): the C library's wrappers are not declared for C++ here.
int openPidfd(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

bool sendThroughPidfd(int fd, int signalNumber) {
    return ::syscall(SYS_pidfd_send_signal, fd, signalNumber, nullptr, 0) == 0;
}

} // namespace

ProcessExitWatcher::ProcessExitWatcher(ExitHandler onExit, QObject* parent)
    : QObject(parent)
    , m_onExit(std::move(onExit)) {}

ProcessExitWatcher::~ProcessExitWatcher() {
    for (auto& [pid, watch] : m_watches)
        close(watch);
}

bool ProcessExitWatcher::isSupported() {
    const int fd = openPidfd(::getpid());
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool ProcessExitWatcher::watch(pid_t pid, std::uint64_t startTime) {
    if (isWatching(pid))
        return true;
    const int fd = openPidfd(pid);
    if (fd < 0)
        return false;
    // Opened first, checked second: if the number still names the same start time now, the
    // pidfd holds that very process.
    const auto stat = ProcessFiles::stat(pid);
    if (!stat || stat->startTime != startTime || stat->hasEnded()) {
        ::close(fd);
        return false;
    }
    Watch watch{fd, new QSocketNotifier(fd, QSocketNotifier::Read, this)};
    connect(watch.notifier, &QSocketNotifier::activated, this, [this, pid] { exited(pid); });
    m_watches.emplace(pid, watch);
    return true;
}

void ProcessExitWatcher::unwatch(pid_t pid) {
    const auto found = m_watches.find(pid);
    if (found == m_watches.end())
        return;
    close(found->second);
    m_watches.erase(found);
}

bool ProcessExitWatcher::signal(pid_t pid, int signalNumber) const {
    const auto found = m_watches.find(pid);
    if (found == m_watches.end())
        return false;
    return sendThroughPidfd(found->second.fd, signalNumber);
}

void ProcessExitWatcher::exited(pid_t pid) {
    unwatch(pid);
    m_onExit(pid);
}

void ProcessExitWatcher::close(Watch& watch) {
    watch.notifier->setEnabled(false);
    watch.notifier->deleteLater();
    ::close(watch.fd);
}
