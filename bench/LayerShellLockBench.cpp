// The Wayland lock surfaces on a headless sway with two 1920x1080 outputs: time from making the
// windows to the first frame committed on every output (the first lock makes the QML engine too),
// resident and shared memory while locked, frames drawn while nothing changes, and memory after
// 50 lock and unlock cycles.
#include "BenchProcesses.h"
#include "fakes/FakeAppIconSource.h"
#include "overlay/LockCards.h"
#include "support/OverlayModelGraph.h"
#include "support/SwaySession.h"
#include "wayland/LayerShellOverlayWindow.h"
#include "wayland/LayerShellOverlayWindows.h"
#include "wayland/WaylandConnection.h"
#include "wayland/WaylandScreens.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQuickWindow>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int cycles = 50;

struct Lock {
    std::vector<std::unique_ptr<OverlayWindow>> windows;
    double madeMs = 0;
    double firstFrameMs = 0;
};

Lock lock(LayerShellOverlayWindows& overlays, const QList<QRect>& screens) {
    Lock result;
    QElapsedTimer timer;
    timer.start();
    for (const QRect& screen : screens)
        result.windows.push_back(overlays.create(
            screen, {QStringLiteral("Editor"), QStringLiteral("org.example.Editor"), {}}));
    result.madeMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const auto drawn = [&] {
        return std::all_of(result.windows.begin(), result.windows.end(), [](const auto& window) {
            return static_cast<LayerShellOverlayWindow&>(*window).framesCommitted() > 0;
        });
    };
    while (!drawn() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    result.firstFrameMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return result;
}

int framesOf(const Lock& lock) {
    int frames = 0;
    for (const auto& window : lock.windows)
        frames += static_cast<LayerShellOverlayWindow&>(*window).framesCommitted();
    return frames;
}

} // namespace

int main(int argc, char** argv) {
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    SwaySession sway;
    if (!sway.start()) {
        std::fprintf(stderr, "no sway: %s\n", qPrintable(sway.error()));
        return 1;
    }
    sway.createOutput();
    for (const QString& output : sway.outputNames())
        sway.swaymsg({QStringLiteral("output"), output, QStringLiteral("mode"),
                      QStringLiteral("1920x1080")});
    auto connection = WaylandConnection::open(sway.waylandDisplay());
    WaylandScreens screens(*connection);
    OverlayModelGraph graph;
    FakeAppIconSource icons;
    LockCards cards(
        {graph.apps, graph.drives, graph.workspace, graph.language, icons, graph.logger});
    LayerShellOverlayWindows overlays(*connection, screens, cards, graph.logger);
    settle(500);
    const QList<QRect> outputs = screens.screens();
    std::printf("%lld outputs, first %dx%d\n", static_cast<long long>(outputs.size()),
                outputs.value(0).width(), outputs.value(0).height());
    const double idle = residentMegabytes();
    std::printf("idle:                          %6.1f MB\n", idle);

    Lock first = lock(overlays, outputs);
    std::printf("first lock, create -> frames:  %6.1f ms (windows and cards made in %.1f ms)\n",
                first.firstFrameMs, first.madeMs);
    settle(1000);
    std::size_t shared = 0;
    for (const auto& window : first.windows)
        shared += static_cast<LayerShellOverlayWindow&>(*window).bufferBytes();
    std::printf(
        "locked:                        %6.1f MB resident (+%.1f), %.1f MB shared buffers\n",
        residentMegabytes(), residentMegabytes() - idle, static_cast<double>(shared) / 1048576.0);
    QElapsedTimer drawing;
    drawing.start();
    for (int i = 0; i < 10; ++i)
        static_cast<LayerShellOverlayWindow&>(*first.windows.front()).window().grabWindow();
    std::printf("one full-output frame drawn:   %6.1f ms\n",
                static_cast<double>(drawing.nsecsElapsed()) / 1e7);
    settle(500);
    const int framesBefore = framesOf(first);
    settle(2000);
    std::printf("frames in 2 s without changes: %d (entrance drew %d)\n",
                framesOf(first) - framesBefore, framesBefore);
    first.windows.clear();
    settle(300);

    std::vector<double> times;
    std::vector<double> made;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        Lock again = lock(overlays, outputs);
        times.push_back(again.firstFrameMs);
        made.push_back(again.madeMs);
        settle(100);
        again.windows.clear();
        settle(30);
    }
    std::sort(times.begin(), times.end());
    std::sort(made.begin(), made.end());
    std::printf("later locks, create -> frames: median %.1f ms, slowest %.1f ms (%d locks; "
                "windows made in %.1f ms median)\n",
                times[times.size() / 2], times.back(), cycles, made[made.size() / 2]);
    settle(1000);
    std::printf("after %d cycles, unlocked:     %6.1f MB\n", cycles + 1, residentMegabytes());
    return 0;
}
