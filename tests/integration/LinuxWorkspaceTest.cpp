#include "process/LinuxWorkspace.h"
#include "fakes/CapturingLogger.h"
#include "process/AppIdResolver.h"
#include "process/ProcessTreeKiller.h"
#include "support/InstalledTestApp.h"
#include "support/XvfbServer.h"

#include <QProcess>
#include <QtTest>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

constexpr int deadlineMs = 5000;

bool isAlive(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

// Reaps a child we forked ourselves; the kill is judged by how it ended.
int killSignalOf(pid_t child) {
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFSIGNALED(status))
        return 0;
    return WTERMSIG(status);
}

pid_t spawn(const QStringList& command, const QList<QByteArray>& environment = {}) {
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    for (const QByteArray& variable : environment)
        ::putenv(::strdup(variable.constData()));
    std::vector<QByteArray> storage;
    std::vector<char*> argv;
    for (const QString& word : command)
        storage.push_back(word.toLocal8Bit());
    for (QByteArray& word : storage)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// Starts the stand-in application with a window, or a command that becomes it.
void startWithWindow(QProcess& process, const QByteArray& display,
                     const QStringList& command = {InstalledTestApp::program(),
                                                   QStringLiteral("--window")}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    process.setProcessEnvironment(environment);
    process.start(command.first(), command.mid(1));
    process.waitForStarted(deadlineMs);
}

// The id of the window the stand-in reports it shows.
xcb_window_t windowOf(QProcess& process) {
    while (!process.canReadLine() && process.waitForReadyRead(deadlineMs)) {
    }
    return process.readLine().trimmed().toUInt();
}

xcb_window_t showWindow(QProcess& process, const QByteArray& display) {
    startWithWindow(process, display);
    return windowOf(process);
}

// Sets window-valued properties on the root window, as a window manager does.
class RootWindow {
public:
    explicit RootWindow(const QByteArray& display)
        : m_connection(xcb_connect(display.constData(), nullptr))
        , m_root(xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root) {}
    ~RootWindow() { xcb_disconnect(m_connection); }

    void set(const char* property, xcb_window_t value) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, std::strlen(property), property),
            nullptr);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_root, reply->atom,
                            XCB_ATOM_WINDOW, 32, 1, &value);
        std::free(reply);
        // A round trip: the server has applied the change before anyone else asks.
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

} // namespace

class LinuxWorkspaceTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<InstalledTestApp> m_app;
    CapturingLogger m_logger;
    std::unique_ptr<LinuxWorkspace> m_workspace;
    QList<RunningApplication> m_terminated;
    std::vector<pid_t> m_children;

    std::optional<QString> idOf(pid_t pid) {
        for (const RunningApplication& app : m_workspace->runningApplications()) {
            if (app.processIdentifier == pid)
                return app.bundleIdentifier;
        }
        return std::nullopt;
    }
    pid_t start(const QStringList& command, const QList<QByteArray>& environment = {}) {
        const pid_t child = spawn(command, environment);
        m_children.push_back(child);
        return child;
    }

private slots:
    void init() {
        m_app = std::make_unique<InstalledTestApp>();
        qputenv("XDG_DATA_HOME", m_app->dataHome().toLocal8Bit());
        // The desktop the tests run in, if any, stays out of them.
        qunsetenv("WAYLAND_DISPLAY");
        m_logger.lines.clear();
        m_workspace = std::make_unique<LinuxWorkspace>(
            m_logger, DesktopEntryIndex::defaultDataDirs(), QByteArray("no-such-display:0"));
        m_terminated.clear();
        m_workspace->setTerminationHandler(
            [this](const RunningApplication& app) { m_terminated.append(app); });
    }

    void cleanup() {
        // Grandchildren too: one left running would hold the test's output open.
        for (const pid_t child : m_children) {
            for (const pid_t descendant : ProcessTreeKiller::descendants(child))
                ::kill(descendant, SIGKILL);
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        m_children.clear();
        m_workspace.reset();
    }

    void reportsItselfAndSaysWhenActivationsCannotBeSeen() {
        QCOMPARE(idOf(::getpid()), AppIdResolver::ownId());
        QCOMPARE(m_workspace->ownProcessIdentifier(), ::getpid());
        QCOMPARE(m_logger.lines, QStringList{QStringLiteral("[Velmora] No X11 display; application "
                                                            "activations will not be seen")});
        QVERIFY(!m_workspace->seesActivations());
        QVERIFY(!m_workspace->activate(RunningApplication{::getpid(), AppIdResolver::ownId()}));
    }

    void resolvesByExecutableAndReportsTheEndAsAnEvent() {
        QVERIFY(m_workspace->watchesExitsAsEvents());
        const pid_t app = start({InstalledTestApp::program()});
        QTRY_COMPARE_WITH_TIMEOUT(idOf(app), InstalledTestApp::mainId(), deadlineMs);
        ::kill(app, SIGTERM);
        // Delivered by the event loop alone, without another look at /proc.
        QTRY_VERIFY_WITH_TIMEOUT(
            m_terminated.contains(RunningApplication{app, InstalledTestApp::mainId()}), deadlineMs);
    }

    // Read from the kernel's clock ticks since boot: close to the wall clock, never in the future.
    void tellsWhenAProcessStarted() {
        const QDateTime before = QDateTime::currentDateTimeUtc();
        const pid_t app = start({InstalledTestApp::program()});
        QTRY_COMPARE_WITH_TIMEOUT(idOf(app), InstalledTestApp::mainId(), deadlineMs);
        const auto launched =
            m_workspace->launchDate(RunningApplication{app, InstalledTestApp::mainId()});
        QVERIFY(launched);
        QVERIFY(*launched >= before.addMSecs(-500));
        QVERIFY(*launched <= QDateTime::currentDateTimeUtc().addMSecs(500));
        QVERIFY(!m_workspace->launchDate(RunningApplication{0x7ffffff0, std::nullopt}));
    }

    void launchedDesktopFileCountsOnlyForTheProcessItNames() {
        const QString launched = m_app->install(QStringLiteral("org.velmora.Launched"),
                                                QStringLiteral("/nonexistent/launched"));
        const QByteArray file = "GIO_LAUNCHED_DESKTOP_FILE=" + launched.toLocal8Bit();
        // The shell hands its own number on to the program it becomes.
        const pid_t named = start({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                                   QStringLiteral("GIO_LAUNCHED_DESKTOP_FILE_PID=$$ exec \"%1\"")
                                       .arg(InstalledTestApp::program())},
                                  {file});
        const pid_t inherited =
            start({InstalledTestApp::program()}, {file, "GIO_LAUNCHED_DESKTOP_FILE_PID=1"});
        QTRY_COMPARE_WITH_TIMEOUT(idOf(named), QStringLiteral("org.velmora.Launched"), deadlineMs);
        QCOMPARE(idOf(inherited), InstalledTestApp::mainId());
    }

    void forceTerminateKillsTheScriptAndTheProgramItStarted() {
        const QString script = m_app->writeLauncherScript(QStringLiteral("launch-test-app"));
        m_app->install(QStringLiteral("org.velmora.Script"), script);
        const pid_t launcher = start({script});
        pid_t program = 0;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                for (const RunningApplication& app : m_workspace->runningApplications()) {
                    if (app.bundleIdentifier == InstalledTestApp::mainId())
                        program = app.processIdentifier;
                }
                return program != 0;
            }(),
            deadlineMs);
        QCOMPARE(idOf(launcher), QStringLiteral("org.velmora.Script"));
        m_workspace->forceTerminate(
            RunningApplication{launcher, QStringLiteral("org.velmora.Script")});
        QCOMPARE(killSignalOf(launcher), SIGKILL);
        m_children.clear();
        QTRY_VERIFY_WITH_TIMEOUT(!isAlive(program), deadlineMs);
    }

    // A launcher that becomes its real program keeps its application; a program of another
    // application is that one.
    void execKeepsTheLaunchersIdUnlessTheNewProgramHasOne() {
        const QString helper = m_app->path(QStringLiteral("helper"));
        QVERIFY(QFile::copy(InstalledTestApp::program(), helper));
        QFile::setPermissions(helper, QFile::permissions(helper) | QFileDevice::ExeOwner);
        const QString launcher = m_app->writeScript(
            QStringLiteral("exec-helper"), QStringLiteral("sleep 0.3\nexec \"%1\"").arg(helper));
        const QString other = m_app->writeScript(
            QStringLiteral("exec-other"),
            QStringLiteral("sleep 0.3\nexec \"%1\"").arg(InstalledTestApp::program()));
        m_app->install(QStringLiteral("org.velmora.Launcher"), launcher);
        m_app->install(QStringLiteral("org.velmora.Other"), other);
        const pid_t kept = start({launcher});
        const pid_t changed = start({other});
        QTRY_COMPARE_WITH_TIMEOUT(idOf(kept), QStringLiteral("org.velmora.Launcher"), deadlineMs);
        QTRY_COMPARE_WITH_TIMEOUT(idOf(changed), QStringLiteral("org.velmora.Other"), deadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(ProcessFiles::executable(kept) == helper &&
                                     idOf(kept) == QStringLiteral("org.velmora.Launcher"),
                                 deadlineMs);
        QTRY_COMPARE_WITH_TIMEOUT(idOf(changed), InstalledTestApp::mainId(), deadlineMs);
        QVERIFY(m_terminated.contains(
            RunningApplication{changed, QStringLiteral("org.velmora.Other")}));
        QVERIFY(!m_terminated.contains(
            RunningApplication{kept, QStringLiteral("org.velmora.Launcher")}));
    }

    // Starting a watched program is announced as it happens, also after the file was replaced.
    void executingAWatchedProgramIsAnnouncedAndSurvivesAnUpgrade() {
        const QString program = m_app->path(QStringLiteral("watched"));
        QVERIFY(QFile::copy(InstalledTestApp::program(), program));
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        m_app->install(QStringLiteral("org.velmora.Watched"), program);
        int launches = 0;
        m_workspace->setLaunchHandler([&] { ++launches; });
        m_workspace->watchLaunches({QStringLiteral("org.velmora.Watched")});
        QCOMPARE(m_workspace->watchedLaunchFiles(), QStringList{program});

        start({program});
        QTRY_VERIFY_WITH_TIMEOUT(launches > 0, deadlineMs);

        // A package upgrade puts a new file in place under the same name.
        const QString upgrade = program + QStringLiteral(".new");
        QVERIFY(QFile::copy(InstalledTestApp::program(), upgrade));
        QVERIFY(::rename(QFile::encodeName(upgrade).constData(),
                         QFile::encodeName(program).constData()) == 0);
        // The kernel queued the replacement's events as rename returned.
        QCoreApplication::processEvents();
        const int before = launches;
        start({program});
        QTRY_VERIFY_WITH_TIMEOUT(launches > before, deadlineMs);

        m_workspace->watchLaunches({});
        QVERIFY(m_workspace->watchedLaunchFiles().isEmpty());
    }

    // Only young processes are looked at again at every poll: a shell that ran for a while and
    // then executes a protected program is found through the exec watch.
    void anOldProcessThatExecutesAWatchedProgramBecomesIt() {
        m_workspace->watchLaunches({InstalledTestApp::mainId()});
        const pid_t shell =
            start({QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                   QStringLiteral("sleep 1.5; exec \"%1\"").arg(InstalledTestApp::program())});
        QTRY_VERIFY_WITH_TIMEOUT(ProcessFiles::executable(shell).endsWith(QLatin1String("sh")),
                                 deadlineMs);
        QCOMPARE(idOf(shell), std::nullopt);
        QTRY_COMPARE_WITH_TIMEOUT(idOf(shell), InstalledTestApp::mainId(), deadlineMs);
        QVERIFY(ProcessFiles::executable(shell) == InstalledTestApp::program());
    }

    void endedAndUnknownProcessesAreNotApplications() {
        const pid_t zombie = ::fork();
        if (zombie == 0)
            ::_exit(0);
        QTRY_VERIFY_WITH_TIMEOUT(
            ProcessFiles::stat(zombie) && ProcessFiles::stat(zombie)->hasEnded(), deadlineMs);
        const pid_t unknown = start({QStringLiteral("/bin/sleep"), QStringLiteral("60")});
        QTRY_VERIFY_WITH_TIMEOUT(ProcessFiles::executable(unknown).endsWith(QLatin1String("sleep")),
                                 deadlineMs);
        const QList<RunningApplication> running = m_workspace->runningApplications();
        for (const RunningApplication& app : running) {
            QVERIFY(app.processIdentifier != zombie);
            QVERIFY(app.processIdentifier != unknown);
        }
        ::waitpid(zombie, nullptr, 0);
        // Signals go only to processes the workspace reported.
        m_workspace->terminate(RunningApplication{unknown, QStringLiteral("org.velmora.TestApp")});
        QVERIFY(isAlive(unknown));
    }

    void otherUsersProgramsAreNotApplications() {
        if (::getuid() != 0)
            QSKIP("starting a program as another user needs root");
        m_app->install(QStringLiteral("org.velmora.Sleeper"), QStringLiteral("sleep %f"));
        LinuxWorkspace workspace(m_logger, DesktopEntryIndex::defaultDataDirs(), "none:0");
        const pid_t mine = start({QStringLiteral("/bin/sleep"), QStringLiteral("60")});
        const pid_t theirs = ::fork();
        if (theirs == 0) {
            if (::setuid(65534) == 0)
                ::execl("/bin/sleep", "sleep", "60", nullptr);
            ::_exit(127);
        }
        m_children.push_back(theirs);
        QTRY_VERIFY_WITH_TIMEOUT(
            ProcessFiles::owner(theirs) == uid_t(65534) &&
                ProcessFiles::executable(theirs).endsWith(QLatin1String("sleep")) &&
                ProcessFiles::executable(mine).endsWith(QLatin1String("sleep")),
            deadlineMs);
        QHash<pid_t, QString> ids;
        for (const RunningApplication& app : workspace.runningApplications())
            ids.insert(app.processIdentifier, app.bundleIdentifier.value_or(QString()));
        QCOMPARE(ids.value(mine), QStringLiteral("org.velmora.Sleeper"));
        QVERIFY(!ids.contains(theirs));
    }

    void newApplicationFolderEntriesAreSeen() {
        const pid_t app = start({QStringLiteral("/bin/sleep"), QStringLiteral("60")});
        QTRY_VERIFY_WITH_TIMEOUT(ProcessFiles::executable(app).endsWith(QLatin1String("sleep")),
                                 deadlineMs);
        QCOMPARE(idOf(app), std::nullopt);
        QSignalSpy changed(&m_workspace->applications(), &DesktopEntryIndex::changed);
        m_app->install(QStringLiteral("org.velmora.Sleeper"), QStringLiteral("sleep %f"));
        QVERIFY(changed.wait(deadlineMs));
        const pid_t later = start({QStringLiteral("/bin/sleep"), QStringLiteral("61")});
        QTRY_COMPARE_WITH_TIMEOUT(idOf(later), QStringLiteral("org.velmora.Sleeper"), deadlineMs);
        // Resolved once: the earlier process keeps the answer it had.
        QCOMPARE(idOf(app), std::nullopt);
    }

    void activationsComeFromTheActiveWindow() {
        XvfbServer server;
        if (!server.start())
            QSKIP(qPrintable(server.error()));
        LinuxWorkspace workspace(m_logger, DesktopEntryIndex::defaultDataDirs(), server.display());
        QVERIFY(workspace.seesActivations());
        QList<RunningApplication> activated;
        workspace.setActivationHandler(
            [&](const RunningApplication& app) { activated.append(app); });

        QProcess first;
        QProcess second;
        const xcb_window_t firstWindow = showWindow(first, server.display());
        const xcb_window_t secondWindow = showWindow(second, server.display());
        QVERIFY(firstWindow != 0 && secondWindow != 0);
        const RunningApplication firstApp{static_cast<std::int32_t>(first.processId()),
                                          InstalledTestApp::mainId()};
        const RunningApplication secondApp{static_cast<std::int32_t>(second.processId()),
                                           InstalledTestApp::mainId()};

        // Play the window manager: announce windows as the active one.
        RootWindow root(server.display());
        root.set("_NET_ACTIVE_WINDOW", firstWindow);
        QTRY_COMPARE_WITH_TIMEOUT(activated, QList<RunningApplication>{firstApp}, deadlineMs);
        root.set("_NET_ACTIVE_WINDOW", firstWindow);
        root.set("_NET_ACTIVE_WINDOW", secondWindow);
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 2, deadlineMs);
        root.set("_NET_ACTIVE_WINDOW", firstWindow);
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 3, deadlineMs);
        QCOMPARE(activated, (QList<RunningApplication>{firstApp, secondApp, firstApp}));

        root.set("_NET_CLIENT_LIST", secondWindow);
        QVERIFY(workspace.activate(secondApp));
        QVERIFY(!workspace.activate(firstApp));
        for (QProcess* process : {&first, &second}) {
            process->kill();
            process->waitForFinished(deadlineMs);
        }
    }

    // A shell older than a second that becomes a copy of a protected program opens no watched
    // file; its window coming to the front has it looked at again.
    void anActivatedProcessIsLookedAtAgain() {
        XvfbServer server;
        if (!server.start())
            QSKIP(qPrintable(server.error()));
        const QString copy = m_app->path(QStringLiteral("copy"));
        QVERIFY(QFile::copy(InstalledTestApp::program(), copy));
        QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner);
        LinuxWorkspace workspace(m_logger, DesktopEntryIndex::defaultDataDirs(), server.display());
        workspace.recognisePrograms({{InstalledTestApp::mainId(),
                                      workspace.programIdentities(InstalledTestApp::mainId(),
                                                                  InstalledTestApp::program())}});
        QList<RunningApplication> activated;
        workspace.setActivationHandler(
            [&](const RunningApplication& app) { activated.append(app); });

        QProcess shell;
        const auto isSeen = [&] {
            for (const RunningApplication& app : workspace.runningApplications()) {
                if (app.processIdentifier == shell.processId())
                    return true;
            }
            return false;
        };
        startWithWindow(shell, server.display(),
                        {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                         QStringLiteral("sleep 1.2; exec \"%1\" --window").arg(copy)});
        QVERIFY(!isSeen());
        const xcb_window_t window = windowOf(shell);
        QVERIFY(window != 0);
        QVERIFY(!isSeen());
        RootWindow(server.display()).set("_NET_ACTIVE_WINDOW", window);
        const RunningApplication app{static_cast<std::int32_t>(shell.processId()),
                                     InstalledTestApp::mainId()};
        QTRY_COMPARE_WITH_TIMEOUT(activated, QList<RunningApplication>{app}, deadlineMs);
        QVERIFY(isSeen());
        shell.kill();
        shell.waitForFinished(deadlineMs);
    }
};

QTEST_GUILESS_MAIN(LinuxWorkspaceTest)
#include "LinuxWorkspaceTest.moc"
