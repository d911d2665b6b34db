// Time from sway being told to focus a window to the workspace reporting the activation, through
// the compositor's window list and sway's tree, under a headless sway.
#include "BenchProcesses.h"
#include "ports/Logger.h"
#include "process/LinuxWorkspace.h"
#include "support/DesktopEntryTree.h"
#include "support/SwaySession.h"
#include "sway/SwayIpc.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class SilentLogger : public Logger {
public:
    void log(const QString&) override {}
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int switches = argc > 1 ? std::max(2, QByteArray(argv[1]).toInt()) : 50;
    SwaySession sway;
    if (!sway.start()) {
        std::printf("no sway: %s\n", qPrintable(sway.error()));
        return 1;
    }
    DesktopEntryTree entries;
    const QStringList ids{QStringLiteral("org.velmora.BenchA"),
                          QStringLiteral("org.velmora.BenchB")};
    for (const QString& id : ids)
        entries.app(entries.system(), id, id,
                    QStringLiteral("Exec=foot --app-id=%1 sleep 600").arg(id));
    SilentLogger logger;
    LinuxWorkspace workspace(logger, entries.dataDirs(), "no-display:0", sway.waylandDisplay(),
                             sway.ipcSocket());
    int reports = 0;
    Clock::time_point reported;
    workspace.setActivationHandler([&](const RunningApplication&) {
        ++reports;
        reported = Clock::now();
    });
    std::vector<std::unique_ptr<QProcess>> windows;
    for (const QString& id : ids) {
        auto window = std::make_unique<QProcess>();
        window->setProcessEnvironment(sway.environment());
        window->start(QStringLiteral("foot"), {QStringLiteral("--app-id=") + id,
                                               QStringLiteral("sleep"), QStringLiteral("600")});
        windows.push_back(std::move(window));
        const int before = reports;
        if (!runUntil([&] { return reports > before; }, 10000)) {
            std::printf("the window of %s never came\n", qPrintable(id));
            return 1;
        }
    }
    auto ipc = SwayIpc::connectTo(sway.ipcSocket());
    std::vector<double> latencies;
    for (int round = 0; round < switches; ++round) {
        const int before = reports;
        const Clock::time_point asked = Clock::now();
        ipc->runCommand(QStringLiteral("[app_id=%1] focus").arg(ids.at(round % 2)));
        if (!runUntil([&] { return reports > before; }, 10000)) {
            std::printf("switch %d was never reported\n", round);
            return 1;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(reported - asked).count());
    }
    for (const auto& window : windows) {
        window->kill();
        window->waitForFinished();
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("%d focus switches: median %.2f ms, 90th percentile %.2f ms, max %.2f ms\n",
                switches, latencies[latencies.size() / 2], latencies[latencies.size() * 9 / 10],
                latencies.back());
    return 0;
}
