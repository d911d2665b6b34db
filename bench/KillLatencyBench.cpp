// Time from the start of a protected process whose drive is missing to its death by SIGKILL,
// through the whole program path: exec watch or poll timer, /proc, identification, decision,
// kill. Both paths are measured, one after the other.
#include "BenchMonitor.h"
#include "BenchProcesses.h"
#include "support/InstalledTestApp.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>

namespace {

struct Result {
    std::vector<double> latencies;
    int survivors = 0;
};

// Launches the protected program again and again and times each death. Watched: the exec watch
// announces each start; unwatched: only the poll finds it.
Result measure(int launches, bool watched) {
    BenchMonitor monitor(watched);
    Result result;
    BenchProcesses processes;
    for (int i = 0; i < launches; ++i) {
        // Start at a random phase of the poll interval, as a user would.
        const auto pause = QRandomGenerator::global()->bounded(200);
        runUntil([] { return false; }, static_cast<int>(pause));
        const double lived = monitor.timeOneKill(processes);
        if (lived < 0)
            ++result.survivors;
        else
            result.latencies.push_back(lived);
    }
    std::sort(result.latencies.begin(), result.latencies.end());
    return result;
}

void print(const char* path, const Result& result) {
    const std::vector<double>& sorted = result.latencies;
    std::printf("%s: kill latency over %zu launches: median %.1f ms, p99 %.1f ms, max %.1f ms, "
                "min %.1f ms; not killed within 2 s: %d\n",
                path, sorted.size(), percentile(sorted, 50), percentile(sorted, 99),
                sorted.empty() ? 0.0 : sorted.back(), sorted.empty() ? 0.0 : sorted.front(),
                result.survivors);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int launches = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 200;
    InstalledTestApp app;
    qputenv("XDG_DATA_HOME", app.dataHome().toLocal8Bit());
    const Result watched = measure(launches, true);
    print("watched (exec seen)", watched);
    const Result unwatched = measure(launches, false);
    print("unwatched (poll only)", unwatched);
    return watched.survivors + unwatched.survivors == 0 ? 0 : 1;
}
