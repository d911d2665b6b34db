// Resident memory of the lock overlay: idle, with a card on each of two 1920x1080 screens, and
// after 200 lock and unlock cycles. Runs on $DISPLAY when set, otherwise on Qt's offscreen
// platform with two such screens.
#include "BenchProcesses.h"
#include "fakes/FakeAppIconSource.h"
#include "overlay/LockCards.h"
#include "qt/QtScreens.h"
#include "support/OverlayModelGraph.h"
#include "x11/QuickOverlayWindows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QQuickWindow>
#include <QTemporaryFile>
#include <cstdio>
#include <vector>

namespace {

constexpr int cycles = 200;

void useTwoOffscreenScreens(QTemporaryFile& config) {
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    config.open();
    config.write(R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96},
        {"name": "right", "x": 1920, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96}]})");
    config.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryFile config;
    useTwoOffscreenScreens(config);
    QApplication application(argc, argv);
    OverlayModelGraph graph;
    FakeAppIconSource icons;
    LockCards cards(
        {graph.apps, graph.drives, graph.workspace, graph.language, icons, graph.logger});
    QuickOverlayWindows overlays(cards, false, graph.logger);
    QtScreens screens;
    std::printf("platform %s, %lld screens\n", qPrintable(QGuiApplication::platformName()),
                static_cast<long long>(screens.screens().size()));

    settle(500);
    const double idle = residentMegabytes();
    std::printf("idle:                      %6.1f MB\n", idle);
    double firstCycle = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        std::vector<std::unique_ptr<OverlayWindow>> windows;
        for (const QRect& screen : screens.screens())
            windows.push_back(overlays.create(
                screen, {QStringLiteral("Editor"), QStringLiteral("org.example.Editor"), {}}));
        settle(cycle == 1 ? 1000 : 150);
        if (cycle == 1)
            std::printf("cards shown (cycle 1):     %6.1f MB\n", residentMegabytes());
        for (auto& window : windows)
            window->close();
        windows.clear();
        settle(cycle == 1 ? 500 : 50);
        if (cycle == 1)
            firstCycle = residentMegabytes();
        if (cycle == 1 || cycle % 50 == 0)
            std::printf("after %3d cycles, unlocked: %6.1f MB\n", cycle, residentMegabytes());
    }
    settle(1000);
    const double last = residentMegabytes();
    std::printf("after %d cycles, settled:  %6.1f MB (%+.1f MB from the first cycle)\n", cycles,
                last, last - firstCycle);
    return 0;
}
