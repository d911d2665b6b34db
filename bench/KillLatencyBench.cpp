// Time from the start of a protected process whose drive is missing to its death by SIGKILL,
// through the whole program path: exec watch or poll timer, /proc, identification, decision,
// kill. Both paths are measured, one after the other.
#include "BenchProcesses.h"

#include "fakes/FakeNotifier.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "ports/Logger.h"
#include "process/LinuxWorkspace.h"
#include "qt/QtScheduler.h"
#include "services/AppMonitorService.h"
#include "services/DriveMonitorService.h"
#include "storage/LinuxVolumeSource.h"
#include "support/InstalledTestApp.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

class QuietLogger : public Logger {
public:
    void log(const QString&) override {}
};

using Clock = std::chrono::steady_clock;

struct Result {
    std::vector<double> latencies;
    int survivors = 0;
};

// Launches the protected program again and again and times each death. Watched: the exec watch
// announces each start; unwatched: only the poll finds it.
Result measure(int launches, bool watched) {
    QuietLogger logger;
    MemoryStore store;
    Defaults defaults(store, logger);
    ProtectedDrivesManager drives(defaults, logger);
    drives.addDrive(QStringLiteral("VelmoraBenchAbsent"), QStringLiteral("/media/absent"),
                    std::nullopt);
    defaults.setProtectedApps({ProtectedApp{
        QUuid::createUuid(), InstalledTestApp::mainId(), QStringLiteral("Bench"), QString(), true,
        drives.drives().first().id, QDateTime::currentDateTimeUtc()}});
    LinuxVolumeSource volumes(logger);
    QtScheduler scheduler;
    FakeNotifier notifier;
    DriveMonitorService driveMonitor({scheduler, notifier, volumes, drives, defaults, logger});
    LinuxWorkspace workspace(logger, DesktopEntryIndex::defaultDataDirs(), "no-display:0");
    FakeOverlayState overlay;
    AppMonitorService monitor(workspace, scheduler, defaults, drives, driveMonitor, overlay,
                              logger);
    monitor.startMonitoring();
    if (!watched)
        workspace.watchLaunches({});
    // The start-up check reports (and so spares) whatever protected app runs at that moment.
    runUntil([] { return false; }, 1600);

    Result result;
    BenchProcesses processes;
    for (int i = 0; i < launches; ++i) {
        // Start at a random phase of the poll interval, as a user would.
        const auto pause = QRandomGenerator::global()->bounded(200);
        runUntil([] { return false; }, static_cast<int>(pause));
        const auto started = Clock::now();
        const pid_t pid = processes.spawn(InstalledTestApp::program());
        const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        QSocketNotifier death(pidfd, QSocketNotifier::Read);
        Clock::time_point died{};
        QObject::connect(&death, &QSocketNotifier::activated, [&] { died = Clock::now(); });
        if (!runUntil([&] { return died != Clock::time_point{}; }, 2000)) {
            ++result.survivors;
        } else {
            result.latencies.push_back(
                std::chrono::duration<double, std::milli>(died - started).count());
        }
        death.setEnabled(false);
        ::close(pidfd);
        // Its end must reach the monitor before the next launch is judged afresh.
        runUntil([&] { return monitor.pendingLockBundleIDs().isEmpty(); }, 2000);
        processes.killAll();
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
