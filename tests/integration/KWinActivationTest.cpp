#include "fakes/CapturingLogger.h"
#include "process/LinuxWorkspace.h"
#include "support/DesktopEntryTree.h"
#include "support/FakePlasmaCompositor.h"
#include "support/InstalledTestApp.h"

#include <QProcess>
#include <QtTest>
#include <memory>

namespace {

constexpr int deadlineMs = 10000;

} // namespace

// Activations of Wayland windows as KWin lists them, each with the process behind it.
class KWinActivationTest : public QObject {
    Q_OBJECT

private:
    DesktopEntryTree m_entries;
    CapturingLogger m_logger;
    std::vector<std::unique_ptr<QProcess>> m_processes;

    RunningApplication start() {
        auto process = std::make_unique<QProcess>();
        process->start(InstalledTestApp::program(), {});
        process->waitForReadyRead(deadlineMs);
        const auto pid = static_cast<std::int32_t>(process->processId());
        m_processes.push_back(std::move(process));
        return RunningApplication{pid, InstalledTestApp::mainId()};
    }

private slots:
    void initTestCase() {
        m_entries.write(m_entries.system(), InstalledTestApp::mainId() + QStringLiteral(".desktop"),
                        QStringLiteral("Type=Application\nName=Test\nExec=") +
                            InstalledTestApp::program());
    }

    void cleanup() {
        for (const auto& process : m_processes) {
            process->kill();
            process->waitForFinished(deadlineMs);
        }
        m_processes.clear();
    }

    // The process KWin names is the one covered: not the app's newest process, and not the app a
    // window's own app ID claims.
    void focusedWindowsAreReportedWithTheProcessKWinNames() {
        auto kwin = std::make_unique<FakePlasmaCompositor>();
        QVERIFY(kwin->isRunning());
        LinuxWorkspace workspace(m_logger, m_entries.dataDirs(), "no-display:0", kwin->socket());
        QVERIFY(workspace.seesActivations());
        QList<RunningApplication> activated;
        workspace.setActivationHandler(
            [&](const RunningApplication& app) { activated.append(app); });
        const RunningApplication older = start();
        const RunningApplication newer = start();

        const int olderWindow = kwin->open(InstalledTestApp::mainId(), older.processIdentifier);
        QTRY_COMPARE_WITH_TIMEOUT(activated, QList<RunningApplication>{older}, deadlineMs);
        kwin->open(QStringLiteral("org.example.Innocent"), newer.processIdentifier);
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 2, deadlineMs);
        // Raised through KWin, found by its process.
        QVERIFY(workspace.activate(older));
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 3, deadlineMs);
        // With the focused window closed nothing is in front; the next focus is a new activation.
        kwin->close(olderWindow);
        kwin->open(InstalledTestApp::mainId(), older.processIdentifier);
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 4, deadlineMs);
        QCOMPARE(activated, (QList<RunningApplication>{older, newer, older, older}));

        kwin.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!workspace.seesActivations(), deadlineMs);
        QCOMPARE(m_logger.count(QStringLiteral(
                     "[Velmora] The Wayland compositor stopped sharing its window list; "
                     "activations of Wayland windows will not be seen")),
                 1);
    }
};

QTEST_GUILESS_MAIN(KWinActivationTest)
#include "KWinActivationTest.moc"
