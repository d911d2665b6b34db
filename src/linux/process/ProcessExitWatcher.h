#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <sys/types.h>

class QSocketNotifier;

// Learns the moment a process ends through a pidfd watched by the event loop. A pidfd names one
// process for good, so a reused process number can neither fool the watch nor receive a signal
// meant for the old process.
class ProcessExitWatcher : public QObject {
    Q_OBJECT

public:
    using ExitHandler = std::function<void(pid_t)>;

    explicit ProcessExitWatcher(ExitHandler onExit, QObject* parent = nullptr);
    ~ProcessExitWatcher() override;

    // Whether the kernel offers pidfds at all; without them endings are found by looking again.
    static bool isSupported();
    // Starts watching the process that has this number and start time; false when it is gone
    // (or is some other process by now) or cannot be watched.
    bool watch(pid_t pid, std::uint64_t startTime);
    void unwatch(pid_t pid);
    bool isWatching(pid_t pid) const { return m_watches.count(pid) > 0; }
    // Signals the watched process itself; false when it is not watched or the signal failed.
    bool signal(pid_t pid, int signalNumber) const;

private:
    struct Watch {
        int fd = -1;
        QSocketNotifier* notifier = nullptr;
    };

    void exited(pid_t pid);
    void close(Watch& watch);

    ExitHandler m_onExit;
    std::map<pid_t, Watch> m_watches;
};
