// How long the application picker takes to show its list with 300 installed applications: the
// scan (read, parse, exclude, sort) alone, and the scan plus the view's first drawn frame, with
// icons still on their way as they are in the program.
#include "fakes/CapturingLogger.h"
#include "fakes/FakeScheduler.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "pickers/AppPickerViewModel.h"
#include "services/LanguageManager.h"
#include "support/ViewRenderer.h"
#include "xdg/ApplicationScanner.h"
#include "xdg/XdgAppIconSource.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int entryCount = 300;
constexpr int runs = 30;

void writeTree(const QString& dataDir) {
    const QString folder = dataDir + QStringLiteral("/applications");
    QDir().mkpath(folder);
    for (int i = 0; i < entryCount; ++i) {
        QFile file(folder + QStringLiteral("/org.bench.App%1.desktop").arg(i));
        if (!file.open(QIODevice::WriteOnly))
            continue;
        file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Application %1\n"
                                  "Name[zh_CN]=应用程序 %1\nName[de]=Anwendung %1\n"
                                  "GenericName=Tool number %1\nKeywords=bench;tool;number%1;\n"
                                  "Comment=A generated entry for the benchmark\n"
                                  "Exec=/usr/bin/true %u\nIcon=application-x-executable\n"
                                  "Categories=Utility;\n\n[Desktop Action New]\nName=New\n"
                                  "Exec=/usr/bin/true --new\n")
                       .arg(entryCount - i)
                       .toUtf8());
    }
}

double percentile(std::vector<double> samples, int p) {
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, samples.size() * p / 100)];
}

void report(const char* label, const std::vector<double>& samples) {
    std::printf("%-30s median %6.1f ms, p95 %6.1f ms, max %6.1f ms (%zu runs)\n", label,
                percentile(samples, 50), percentile(samples, 95),
                *std::max_element(samples.begin(), samples.end()), samples.size());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir root;
    writeTree(root.path());

    MemoryStore store;
    CapturingLogger logger;
    FakeScheduler scheduler;
    Defaults defaults(store, logger);
    LanguageManager language(defaults, scheduler, logger);
    XdgAppIconSource icons(logger, {root.path() + QStringLiteral("/applications")});
    ApplicationScanner scanner(logger, {root.path()});

    std::vector<double> scans;
    std::vector<double> shown;
    for (int run = 0; run < runs; ++run) {
        AppPickerViewModel model({scanner, defaults, language});
        ViewRenderer renderer(language, icons, logger);
        logger.lines.clear();
        QElapsedTimer timer;
        timer.start();
        model.loadInstalledApps();
        scans.push_back(double(timer.nsecsElapsed()) / 1e6);
        renderer.load(QUrl(QStringLiteral("qrc:/qt/qml/Velmora/pickers/AppPickerView.qml")),
                      QSize(440, 520), {{QStringLiteral("model"), QVariant::fromValue(&model)}});
        renderer.window().grabWindow();
        shown.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (model.installedApps().size() != entryCount || logger.lines.size() != entryCount) {
            std::fprintf(stderr, "expected %d applications, got %lld\n", entryCount,
                         static_cast<long long>(model.installedApps().size()));
            return 1;
        }
    }
    std::printf("%d desktop entries:\n", entryCount);
    // The first view also compiles the QML, as the program's first picker does.
    std::printf("%-30s %6.1f ms\n", "first picker, until drawn", shown.front());
    report("scan and sort", scans);
    report("scan, view and first frame", shown);
    return 0;
}
