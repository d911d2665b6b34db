// CPU time of one look at the running applications, as the app monitor's poll makes it five
// times a second, with 300, 1,000 and 5,000 processes running: with no new process since the
// previous look, and with 10 new ones.
#include "BenchProcesses.h"

#include "ports/Logger.h"
#include "process/LinuxWorkspace.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr useconds_t pollIntervalMicroseconds = 200'000;

class QuietLogger : public Logger {
public:
    void log(const QString&) override {}
};

double threadCpuMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double timedLook(LinuxWorkspace& workspace) {
    QCoreApplication::processEvents();
    const double start = threadCpuMicroseconds();
    const QList<RunningApplication> applications = workspace.runningApplications();
    return threadCpuMicroseconds() - start;
}

void report(const char* label, int processes, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-14s %5d processes: median %7.1f us, p95 %7.1f us, max %7.1f us (%zu polls)\n",
                label, processes, percentile(samples, 50), percentile(samples, 95), samples.back(),
                samples.size());
}

void measure(int target, BenchProcesses& sleepers) {
    while (processCount() < target)
        sleepers.spawn(QStringLiteral("/bin/sleep"), {QStringLiteral("3600")});
    const int running = processCount();
    QuietLogger logger;
    LinuxWorkspace workspace(logger, DesktopEntryIndex::defaultDataDirs(), "no-display:0");
    workspace.runningApplications(); // the first look reads every process once
    // Processes younger than a second are looked at again at every poll; a steady state has none.
    ::usleep(1'100'000);
    workspace.runningApplications();

    std::vector<double> steady;
    for (int i = 0; i < 500; ++i)
        steady.push_back(timedLook(workspace));
    report("no new ones", running, steady);

    std::vector<double> withNew;
    BenchProcesses fresh;
    for (int i = 0; i < 100; ++i) {
        for (int n = 0; n < 10; ++n)
            fresh.spawn(QStringLiteral("/bin/sleep"), {QStringLiteral("3600")});
        // At the poll's own pace, so as many are young as in real use (50 a second here).
        ::usleep(pollIntervalMicroseconds);
        withNew.push_back(timedLook(workspace));
        if (fresh.size() >= 50)
            fresh.killAll(); // keep the count near the target
    }
    report("10 new ones", running, withNew);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    // Process counts to measure at, smallest first; 300, 1000 and 5000 unless given.
    std::vector<int> targets;
    for (int i = 1; i < argc; ++i)
        targets.push_back(QByteArray(argv[i]).toInt());
    if (targets.empty())
        targets = {300, 1000, 5000};
    BenchProcesses sleepers;
    for (const int target : targets)
        measure(target, sleepers);
    return 0;
}
