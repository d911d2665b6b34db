#include "fakes/CapturingLogger.h"
#include "platform/linux/LinuxWorkspace.h"
#include "support/DesktopEntryTree.h"
#include "support/SwaySession.h"

#include <QProcess>
#include <QtTest>
#include <memory>

namespace {

constexpr int deadlineMs = 10000;

} // namespace

// Activations of Wayland windows, as a real sway lists them to the workspace.
class WaylandActivationTest : public QObject {
    Q_OBJECT

private:
    SwaySession m_sway;
    DesktopEntryTree m_entries;
    CapturingLogger m_logger;
    std::vector<std::unique_ptr<QProcess>> m_windows;

    // A terminal window of its own app_id; the entry runs the same command.
    RunningApplication openWindow(const QString& id, const QString& appId) {
        auto window = std::make_unique<QProcess>();
        window->setProcessEnvironment(m_sway.environment());
        window->start(QStringLiteral("foot"), {QStringLiteral("--app-id=") + appId,
                                               QStringLiteral("sleep"), QStringLiteral("600")});
        window->waitForStarted(deadlineMs);
        const auto pid = static_cast<std::int32_t>(window->processId());
        m_windows.push_back(std::move(window));
        return RunningApplication{pid, id};
    }

private slots:
    void initTestCase() {
        if (!m_sway.start())
            QSKIP(qPrintable(m_sway.error()));
        m_entries.app(m_entries.system(), QStringLiteral("org.velmora.Notes"),
                      QStringLiteral("Notes"),
                      QStringLiteral("Exec=foot --app-id=org.velmora.Notes sleep 600"));
        m_entries.app(m_entries.system(), QStringLiteral("org.velmora.Sketch"),
                      QStringLiteral("Sketch"),
                      QStringLiteral("Exec=foot --app-id=sketch sleep 600\nStartupWMClass=sketch"));
    }

    void cleanup() {
        for (const auto& window : m_windows) {
            window->kill();
            window->waitForFinished(deadlineMs);
        }
        m_windows.clear();
    }

    void focusedWindowsAreReportedWithTheirApplicationAndProcess() {
        LinuxWorkspace workspace(m_logger, m_entries.dataDirs(), "no-display:0",
                                 m_sway.waylandDisplay(), m_sway.ipcSocket());
        QVERIFY(workspace.seesActivations());
        QList<RunningApplication> activated;
        workspace.setActivationHandler(
            [&](const RunningApplication& app) { activated.append(app); });

        // A new window takes the focus.
        const RunningApplication notes =
            openWindow(QStringLiteral("org.velmora.Notes"), QStringLiteral("org.velmora.Notes"));
        QTRY_COMPARE_WITH_TIMEOUT(activated, QList<RunningApplication>{notes}, deadlineMs);
        const RunningApplication sketch =
            openWindow(QStringLiteral("org.velmora.Sketch"), QStringLiteral("sketch"));
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 2, deadlineMs);

        m_sway.swaymsg({QStringLiteral("[app_id=org.velmora.Notes] focus")});
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 3, deadlineMs);
        // Raised through the compositor, as the app has no X11 window.
        QVERIFY(workspace.activate(sketch));
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 4, deadlineMs);
        QCOMPARE(activated, (QList<RunningApplication>{notes, sketch, notes, sketch}));
        QVERIFY(!m_logger.lines.contains(
            QStringLiteral("[Velmora] No X11 display; application activations will not be seen")));
    }
};

QTEST_GUILESS_MAIN(WaylandActivationTest)
#include "WaylandActivationTest.moc"
