#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "process/LinuxWorkspace.h"
#include "services/AppMonitorService.h"
#include "services/DriveMonitorService.h"
#include "support/DesktopEntryTree.h"
#include "support/InstalledTestApp.h"
#include "support/SwaySession.h"

#include <QProcess>
#include <QtTest>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr int deadlineMs = 10000;

QString ownUserName() {
    const passwd* user = ::getpwuid(::getuid());
    return user ? QString::fromLocal8Bit(user->pw_name) : QString();
}

} // namespace

// Activations of Wayland windows, as a real sway lists them to the workspace.
class WaylandActivationTest : public QObject {
    Q_OBJECT

private:
    SwaySession m_sway;
    DesktopEntryTree m_entries;
    CapturingLogger m_logger;
    std::vector<std::unique_ptr<QProcess>> m_windows;

    RunningApplication open(const QString& id, const QString& program, const QStringList& arguments,
                            const QByteArray& x11Display = {}) {
        auto window = std::make_unique<QProcess>();
        QProcessEnvironment environment = m_sway.environment();
        if (!x11Display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(x11Display));
        window->setProcessEnvironment(environment);
        window->start(program, arguments);
        window->waitForStarted(deadlineMs);
        const auto pid = static_cast<std::int32_t>(window->processId());
        m_windows.push_back(std::move(window));
        return RunningApplication{pid, id};
    }
    // A terminal window of its own app_id.
    RunningApplication openWindow(const QString& id, const QString& appId) {
        return open(
            id, QStringLiteral("foot"),
            {QStringLiteral("--app-id=") + appId, QStringLiteral("sleep"), QStringLiteral("600")});
    }

    // Empty when XWayland did not come up in time.
    QByteArray xwaylandDisplay() const {
        const QString path = QFileInfo(QFile::decodeName(m_sway.waylandDisplay())).path() +
                             QStringLiteral("/x11-display");
        QByteArray display;
        const auto written = [&] {
            QFile file(path);
            display = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
            return display.startsWith(':');
        };
        return QTest::qWaitFor(written, deadlineMs) ? display : QByteArray();
    }

private slots:
    void initTestCase() {
        // The X server's name is only known inside the session, whose user admits ours to it.
        if (!m_sway.start(QStringLiteral("xwayland force\nexec sh -c 'xhost +si:localuser:%1; "
                                         "echo $DISPLAY > $XDG_RUNTIME_DIR/x11-display'")
                              .arg(ownUserName())))
            QSKIP(qPrintable(m_sway.error()));
        // Notes is known by its process; Sketch only by its window's class.
        m_entries.write(m_entries.system(), QStringLiteral("org.velmora.Notes.desktop"),
                        QStringLiteral("Type=Application\nName=Notes\n"
                                       "Exec=foot --app-id=org.velmora.Notes sleep 600"));
        m_entries.write(m_entries.system(), QStringLiteral("org.velmora.Sketch.desktop"),
                        QStringLiteral("Type=Application\nName=Sketch\n"
                                       "Exec=/nonexistent/sketch\nStartupWMClass=sketch"));
        m_entries.write(m_entries.system(), QStringLiteral("org.velmora.TestApp.desktop"),
                        QStringLiteral("Type=Application\nName=Test\nExec=") +
                            InstalledTestApp::program());
    }

    void cleanup() {
        for (const auto& window : m_windows) {
            window->kill();
            window->waitForFinished(deadlineMs);
        }
        m_windows.clear();
    }

    // sway also sets X11's active window for its XWayland windows: each activation is one report.
    void focusedWindowsAreReportedOnceWithTheirApplicationAndProcess() {
        const QByteArray display = xwaylandDisplay();
        if (display.isEmpty())
            QSKIP("XWayland did not start");
        LinuxWorkspace workspace(m_logger, m_entries.dataDirs(), display, m_sway.waylandDisplay(),
                                 m_sway.ipcSocket());
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
        const RunningApplication x11App =
            open(InstalledTestApp::mainId(), InstalledTestApp::program(),
                 {QStringLiteral("--window")}, display);
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 3, deadlineMs);

        m_sway.swaymsg({QStringLiteral("[app_id=org.velmora.Notes] focus")});
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 4, deadlineMs);
        // Raised through the compositor, as the app has no X11 window.
        QVERIFY(workspace.activate(sketch));
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 5, deadlineMs);
        QCOMPARE(activated, (QList<RunningApplication>{notes, sketch, x11App, notes, sketch}));
    }

    void windowOfAProtectedAppWithoutItsDriveAsksForTheLock() {
        MemoryStore store;
        Defaults defaults(store, m_logger);
        ProtectedDrivesManager drives(defaults, m_logger);
        drives.addDrive(QStringLiteral("VelmoraAbsent"), QStringLiteral("/media/velmora-absent"),
                        std::nullopt);
        defaults.setProtectedApps({ProtectedApp{
            QUuid::createUuid(), QStringLiteral("org.velmora.Notes"), QStringLiteral("Notes"),
            QString(), true, drives.drives().first().id, QDateTime::currentDateTimeUtc()}});
        FakeScheduler scheduler;
        FakeVolumeSource volumes;
        FakeNotifier notifier;
        DriveMonitorService driveMonitor(
            {scheduler, notifier, volumes, drives, defaults, m_logger});
        LinuxWorkspace workspace(m_logger, m_entries.dataDirs(), "no-display:0",
                                 m_sway.waylandDisplay(), m_sway.ipcSocket());
        FakeOverlayState overlay;
        AppMonitorService monitor(workspace, scheduler, defaults, drives, driveMonitor, overlay,
                                  m_logger);
        QList<QString> detected;
        monitor.onProtectedAppDetected = [&](const ProtectedApp& app) {
            detected.append(app.bundleIdentifier);
        };
        monitor.startMonitoring();
        // Only the activation judges the app: no poll runs on the fake clock, no launch watch.
        workspace.watchLaunches({});

        openWindow(QStringLiteral("org.velmora.Notes"), QStringLiteral("org.velmora.Notes"));
        QTRY_COMPARE_WITH_TIMEOUT(detected, QList<QString>{QStringLiteral("org.velmora.Notes")},
                                  deadlineMs);
        QVERIFY(m_logger.lines.contains(QStringLiteral(
            "[Velmora] Drive VelmoraAbsent not mounted — blocking activation of: Notes")));
    }
};

QTEST_GUILESS_MAIN(WaylandActivationTest)
#include "WaylandActivationTest.moc"
