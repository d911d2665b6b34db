#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <sys/types.h>
#include <vector>

// Processes the benchmarks start and always clean up.
class BenchProcesses {
public:
    BenchProcesses() = default;
    ~BenchProcesses();
    BenchProcesses(const BenchProcesses&) = delete;
    BenchProcesses& operator=(const BenchProcesses&) = delete;

    // Returns once the program runs (posix_spawn waits for the exec); 0 on failure.
    pid_t spawn(const QString& program, const QStringList& arguments = {});
    // Kills and reaps every process this object started.
    void killAll();
    // Reaps one process and says whether SIGKILL ended it.
    static bool reapWasKilled(pid_t pid);

    std::size_t size() const { return m_pids.size(); }

private:
    std::vector<pid_t> m_pids;
};

// Percentile (0..100) of already sorted values.
double percentile(const std::vector<double>& sorted, double percent);
// How many processes /proc lists.
int processCount();
// This process's resident memory, from /proc/self/statm; 0 when unreadable.
double residentMegabytes();
// Runs the event loop and deferred deletions for a while, so windows render and freed ones go.
void settle(int milliseconds);

// Runs the event loop until the condition holds; false after the deadline.
template <typename Condition> bool runUntil(Condition condition, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}
