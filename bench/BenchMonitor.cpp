#include "BenchMonitor.h"

#include "BenchProcesses.h"
#include "support/InstalledTestApp.h"

#include <QSocketNotifier>
#include <chrono>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

BenchMonitor::BenchMonitor(bool watched)
    : m_defaults(m_store, m_logger)
    , m_drives(m_defaults, m_logger)
    , m_volumes(m_logger)
    , m_driveMonitor({m_scheduler, m_notifier, m_volumes, m_drives, m_defaults, m_logger})
    , m_workspace(m_logger, DesktopEntryIndex::defaultDataDirs(), "no-display:0")
    , m_monitor(m_workspace, m_scheduler, m_defaults, m_drives, m_driveMonitor, m_overlay,
                m_logger) {
    m_drives.addDrive(QStringLiteral("VelmoraBenchAbsent"), QStringLiteral("/media/absent"),
                      std::nullopt);
    m_defaults.setProtectedApps({ProtectedApp{
        QUuid::createUuid(), InstalledTestApp::mainId(), QStringLiteral("Bench"), QString(), true,
        m_drives.drives().first().id, QDateTime::currentDateTimeUtc()}});
    m_monitor.startMonitoring();
    if (!watched)
        m_workspace.watchLaunches({});
    // The start-up check reports (and so spares) whatever protected app runs at that moment.
    runUntil([] { return false; }, 1600);
}

double BenchMonitor::timeOneKill(BenchProcesses& processes) {
    const auto started = Clock::now();
    const pid_t pid = processes.spawn(InstalledTestApp::program());
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    QSocketNotifier death(pidfd, QSocketNotifier::Read);
    Clock::time_point died{};
    // The first wake-up only: the pidfd stays readable, and the loop may run on for a while.
    QObject::connect(&death, &QSocketNotifier::activated, [&] {
        if (died == Clock::time_point{})
            died = Clock::now();
        death.setEnabled(false);
    });
    const bool killed = runUntil([&] { return died != Clock::time_point{}; }, 2000);
    death.setEnabled(false);
    ::close(pidfd);
    // Its end must reach the monitor before the next launch is judged afresh.
    runUntil([&] { return m_monitor.pendingLockBundleIDs().isEmpty(); }, 2000);
    processes.killAll();
    return killed ? std::chrono::duration<double, std::milli>(died - started).count() : -1;
}
