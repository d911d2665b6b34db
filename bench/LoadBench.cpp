// The app monitor's cost on a busy machine and on a crowded one, and whether it still kills:
// at rest; during a fork storm of 200 short-lived processes a second, with a protected launch
// every 3 s timed to its death; and at rest beside 3,000 idle processes. CPU is this process's
// own (the monitor and its event loop), in percent of one core.
//
//   build/bench/velmora-bench-load [seconds per phase]   (default 30)
#include "BenchMonitor.h"
#include "BenchProcesses.h"
#include "support/InstalledTestApp.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

constexpr int stormRate = 200;
constexpr int launchIntervalMs = 3000;
constexpr int crowd = 3000;

double cpuMilliseconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The storm itself runs in a process of its own, so its cost is not counted as the monitor's.
// Each process lives 0.1 s, as a compiler's or a shell's helpers do, so 20 are alive at a time
// and every poll meets new ones.
[[noreturn]] void storm(int perSecond) {
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::microseconds(1'000'000 / perSecond);
    char program[] = "/bin/sleep";
    char duration[] = "0.1";
    char* argv[] = {program, duration, nullptr};
    for (auto next = Clock::now();; next += interval) {
        pid_t pid = 0;
        ::posix_spawn(&pid, program, nullptr, nullptr, argv, environ);
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        std::this_thread::sleep_until(next);
    }
}

// The event loop, blocked until something happens, as in the program (runUntil spins).
void idle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void phase(const char* label, int seconds, BenchProcesses* launches, BenchMonitor& monitor) {
    std::vector<double> kills;
    int survivors = 0;
    const double before = cpuMilliseconds();
    const QDeadlineTimer end(seconds * 1000);
    while (!end.hasExpired()) {
        idle(std::min<int>(launchIntervalMs, static_cast<int>(end.remainingTime())));
        if (!launches || end.hasExpired())
            continue;
        const double lived = monitor.timeOneKill(*launches);
        if (lived < 0)
            ++survivors;
        else
            kills.push_back(lived);
    }
    const double used = cpuMilliseconds() - before;
    std::printf("%-34s %6.1f ms of CPU in %d s = %5.2f %% of a core", label, used, seconds,
                used / (seconds * 10.0));
    if (launches) {
        std::sort(kills.begin(), kills.end());
        std::printf("; protected launches killed %zu of %zu, median %.1f ms, max %.1f ms",
                    kills.size(), kills.size() + survivors, percentile(kills, 50),
                    kills.empty() ? 0.0 : kills.back());
    }
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--storm")
        storm(stormRate);
    QCoreApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 30;
    InstalledTestApp app;
    qputenv("XDG_DATA_HOME", app.dataHome().toLocal8Bit());
    BenchMonitor monitor;

    phase("at rest", seconds, nullptr, monitor);

    BenchProcesses storms;
    storms.spawn(QCoreApplication::applicationFilePath(), {QStringLiteral("--storm")});
    BenchProcesses launches;
    phase("fork storm, 200 processes a second", seconds, &launches, monitor);
    storms.killAll();

    BenchProcesses sleepers;
    while (processCount() < crowd)
        sleepers.spawn(QStringLiteral("/bin/sleep"), {QStringLiteral("3600")});
    // Until the last of them are no longer young.
    idle(1500);
    phase("at rest beside 3,000 processes", seconds, nullptr, monitor);
    return 0;
}
