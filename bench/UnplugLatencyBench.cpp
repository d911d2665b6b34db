// Time from the unmount of a registered drive to "Required drive disconnected", with the mount
// table watched as the program does, against the drive poll alone (5 s interval).
#include "BenchProcesses.h"

#include "fakes/FakeNotifier.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "ports/Logger.h"
#include "qt/QtScheduler.h"
#include "services/DriveMonitorService.h"
#include "storage/LinuxVolumeSource.h"
#include "storage/MountTableWatcher.h"
#include "support/TestMounts.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

// Notes when the drive is found missing or back.
class StampingLogger : public Logger {
public:
    void log(const QString& line) override {
        if (line.startsWith(QLatin1String("[Velmora] Required drive disconnected")))
            disconnected = Clock::now();
        if (line.startsWith(QLatin1String("[Velmora] Required drive reconnected")))
            reconnected = true;
    }
    Clock::time_point disconnected{};
    bool reconnected = false;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int unplugs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;
    if (const QString why = TestMounts::whyMountingIsNotPossible(); !why.isEmpty()) {
        std::printf("cannot mount here: %s\n", qPrintable(why));
        return 1;
    }
    QTemporaryDir folder;
    const QString name =
        QStringLiteral("VelmoraUnplugBench%1").arg(QCoreApplication::applicationPid());
    const QString mountPoint = folder.filePath(name);
    StampingLogger logger;
    MemoryStore store;
    Defaults defaults(store, logger);
    ProtectedDrivesManager drives(defaults, logger);
    drives.addDrive(name, mountPoint, std::nullopt);
    LinuxVolumeSource volumes(logger);
    QtScheduler scheduler;
    FakeNotifier notifier;
    DriveMonitorService monitor({scheduler, notifier, volumes, drives, defaults, logger});
    MountTableWatcher mountTable;
    mountTable.setHandler([&] { monitor.checkNow(); });
    monitor.startPolling();

    TestMounts mounts;
    std::vector<double> latencies;
    int missed = 0;
    for (int i = 0; i < unplugs; ++i) {
        logger.reconnected = false;
        if (!mounts.mountTmpfs(mountPoint)) {
            std::printf("mount failed: %s\n", qPrintable(mounts.lastError));
            return 1;
        }
        if (i > 0 && !runUntil([&] { return logger.reconnected; }, 10000)) {
            ++missed;
            continue;
        }
        runUntil([] { return false; }, QRandomGenerator::global()->bounded(100, 300));
        logger.disconnected = {};
        const auto unplugged = Clock::now();
        mounts.unmount(mountPoint);
        if (!runUntil([&] { return logger.disconnected != Clock::time_point{}; }, 10000)) {
            ++missed;
            continue;
        }
        latencies.push_back(
            std::chrono::duration<double, std::milli>(logger.disconnected - unplugged).count());
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("unplug to \"Required drive disconnected\" over %zu unplugs: median %.1f ms, "
                "p99 %.1f ms, max %.1f ms; missed: %d\n",
                latencies.size(), percentile(latencies, 50), percentile(latencies, 99),
                latencies.empty() ? 0.0 : latencies.back(), missed);
    return missed == 0 ? 0 : 1;
}
