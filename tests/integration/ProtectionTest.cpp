#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "process/LinuxWorkspace.h"
#include "process/ProcessFiles.h"
#include "process/ProgramIdentity.h"
#include "qt/QtScheduler.h"
#include "services/AppMonitorService.h"
#include "services/DriveMonitorService.h"
#include "storage/LinuxVolumeSource.h"
#include "storage/MountTableWatcher.h"
#include "storage/SettingsFileStore.h"
#include "support/InstalledTestApp.h"
#include "support/PrivateBus.h"
#include "support/XvfbServer.h"

#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <xcb/xcb.h>

namespace {

constexpr int deadlineMs = 5000;

// The drive's name is unique, so no volume on the machine can stand in for it.
QString uniqueDriveName() {
    return QStringLiteral("VelmoraTest%1").arg(QCoreApplication::applicationPid());
}

// Protects the stand-in application (and any others named), requiring a drive that is not
// mounted.
Defaults& protectTestApp(Defaults& defaults, Logger& logger, const QStringList& otherIds = {}) {
    ProtectedDrivesManager drives(defaults, logger);
    drives.addDrive(uniqueDriveName(), QStringLiteral("/media/velmora-test"), std::nullopt);
    QList<ProtectedApp> apps;
    for (const QString& id : QStringList{InstalledTestApp::mainId()} + otherIds)
        apps.append(ProtectedApp{QUuid::createUuid(), id, QStringLiteral("Test App"), QString(),
                                 true, drives.drives().first().id,
                                 QDateTime::currentDateTimeUtc()});
    defaults.setProtectedApps(apps);
    return defaults;
}

bool hasEnded(pid_t pid) {
    const auto stat = ProcessFiles::stat(pid);
    return !stat || stat->hasEnded();
}

// The enforcement graph on the real workspace; drives and timers as the test gives them.
struct Enforcer {
    CapturingLogger logger;
    MemoryStore store;
    Defaults defaults{store, logger};
    ProtectedDrivesManager drives;
    FakeVolumeSource volumes;
    FakeNotifier notifier;
    DriveMonitorService driveMonitor;
    LinuxWorkspace workspace;
    FakeOverlayState overlay;
    AppMonitorService monitor;
    int reports = 0;

    Enforcer(Scheduler& scheduler, const QByteArray& display, const QStringList& otherIds = {})
        : drives(protectTestApp(defaults, logger, otherIds), logger)
        , driveMonitor({scheduler, notifier, volumes, drives, defaults, logger})
        , workspace(logger, DesktopEntryIndex::defaultDataDirs(), display)
        , monitor(workspace, scheduler, defaults, drives, driveMonitor, overlay, logger) {
        monitor.onProtectedAppDetected = [this](const ProtectedApp&) { ++reports; };
        monitor.startMonitoring();
    }
};

// Plays the window manager: makes a window the active one.
void activate(const QByteArray& display, xcb_window_t window) {
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const char* name = "_NET_ACTIVE_WINDOW";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_WINDOW, 32, 1,
                        &window);
    std::free(atom);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    xcb_disconnect(connection);
}

bool wasKilled(const QProcess& process) {
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::CrashExit &&
           process.exitCode() == SIGKILL;
}

// A tmpfs named like the drive; unmounted when it goes.
class TestVolume {
public:
    explicit TestVolume(const QString& name)
        : m_path(m_dir.filePath(name)) {
        QDir().mkpath(m_path);
        if (::mount("tmpfs", m_path.toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~TestVolume() {
        if (m_error.isEmpty())
            ::umount2(m_path.toLocal8Bit().constData(), MNT_DETACH);
    }
    // Empty when mounted.
    QString error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_error;
};

// One way a person at the keyboard may start a protected program.
struct Attempt {
    QString name;
    QString program;
    QStringList arguments;
    QString folder = {};
    QString input = {};
    // The app runs as a child of what is started, which ends with it however it reports that.
    bool forks = false;
};

// Starts each attempt and waits for its end; the names of those that were not killed.
QStringList survivorsOf(const QList<Attempt>& attempts) {
    QStringList survivors;
    for (const Attempt& attempt : attempts) {
        QProcess process;
        if (!attempt.folder.isEmpty())
            process.setWorkingDirectory(attempt.folder);
        if (!attempt.input.isEmpty())
            process.setStandardInputFile(attempt.input);
        process.start(attempt.program, attempt.arguments);
        // The enforcement runs on this thread's event loop.
        const bool ended =
            QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, deadlineMs);
        if (!ended || (!attempt.forks && !wasKilled(process))) {
            qWarning("survived: %s", qPrintable(attempt.name));
            survivors.append(attempt.name);
        }
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(deadlineMs);
        }
    }
    return survivors;
}

QString copyProgram(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to))
        qFatal("cannot copy %s", qPrintable(to));
    QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ExeOwner);
    return to;
}

void writeFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(contents);
}

// A working copy of the stand-in whose build ID differs, so it is no other app's program.
QString distinctProgram(const QString& to) {
    copyProgram(InstalledTestApp::program(), to);
    QFile file(to);
    if (!file.open(QIODevice::ReadWrite))
        qFatal("cannot open %s", qPrintable(to));
    QByteArray bytes = file.readAll();
    const qsizetype at = bytes.indexOf(QByteArray::fromHex(
        ProgramIdentity::buildId(file.handle(), static_cast<off_t>(bytes.size()))));
    if (at < 0)
        qFatal("no build ID in %s", qPrintable(to));
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5a);
    file.seek(0);
    file.write(bytes);
    return to;
}

} // namespace

class ProtectionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        m_app = std::make_unique<InstalledTestApp>();
        qputenv("XDG_DATA_HOME", m_app->dataHome().toLocal8Bit());
        // The desktop the tests run in, if any, stays out of them.
        qunsetenv("WAYLAND_DISPLAY");
    }

    void killsTheAppWithoutItsDriveAndLetsItRunWithIt() {
        CapturingLogger logger;
        MemoryStore store;
        Defaults defaults(store, logger);
        protectTestApp(defaults, logger);
        ProtectedDrivesManager drives(defaults, logger);
        LinuxVolumeSource volumes(logger);
        QtScheduler scheduler;
        FakeNotifier notifier;
        DriveMonitorService driveMonitor({scheduler, notifier, volumes, drives, defaults, logger});
        LinuxWorkspace workspace(logger, DesktopEntryIndex::defaultDataDirs(), "no-display:0");
        FakeOverlayState overlay;
        AppMonitorService monitor(workspace, scheduler, defaults, drives, driveMonitor, overlay,
                                  logger);
        int reports = 0;
        monitor.onProtectedAppDetected = [&](const ProtectedApp&) { ++reports; };
        monitor.startMonitoring();

        QProcess locked;
        locked.start(InstalledTestApp::program());
        QVERIFY(locked.waitForStarted(deadlineMs));
        const qint64 pid = locked.processId();
        QTRY_VERIFY_WITH_TIMEOUT(wasKilled(locked), deadlineMs);
        QVERIFY(logger.lines.contains(
            QStringLiteral(
                "[Velmora] Drive %1 not mounted — killing new process: Test App (pid=%2)")
                .arg(uniqueDriveName())
                .arg(pid)));
        QCOMPARE(reports, 1);
        // Its end, seen by the workspace, lets the next launch be judged afresh.
        QTRY_VERIFY_WITH_TIMEOUT(monitor.pendingLockBundleIDs().isEmpty(), deadlineMs);

        TestVolume volume(uniqueDriveName());
        if (!volume.error().isEmpty())
            QSKIP(qPrintable(QStringLiteral("mounting a tmpfs is not permitted here: ") +
                             volume.error()));
        QProcess free;
        free.start(InstalledTestApp::program());
        const QString launched = QStringLiteral(
            "[Velmora] Protected app launched (drive available): Test App (org.velmora.TestApp)");
        QTRY_VERIFY_WITH_TIMEOUT(logger.lines.contains(launched), deadlineMs);
        // The decision may come before QProcess has heard that its child started.
        QVERIFY(free.waitForStarted(deadlineMs));
        QCOMPARE(free.state(), QProcess::Running);
        QCOMPARE(reports, 1);
        free.kill();
        free.waitForFinished(deadlineMs);
    }

    // The window is up and active before the poll first meets the process, as a GTK app's is:
    // the activation reports it, and the poll still kills it. Every time.
    void activationBeforeThePollNeverSavesALaunch() {
        XvfbServer server;
        if (!server.start())
            QSKIP(qPrintable(server.error()));
        FakeScheduler scheduler;
        Enforcer enforcer(scheduler, server.display());
        // Only the poll: the exec watch would kill before the window could map.
        enforcer.workspace.watchLaunches({});
        constexpr int launches = 50;
        int survivors = 0;
        for (int launch = 0; launch < launches; ++launch) {
            QProcess app;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(server.display()));
            app.setProcessEnvironment(environment);
            app.start(InstalledTestApp::program(), {QStringLiteral("--window")});
            QVERIFY(app.waitForStarted(deadlineMs));
            QTRY_VERIFY_WITH_TIMEOUT(app.canReadLine(), deadlineMs);
            activate(server.display(), app.readLine().trimmed().toUInt());
            QTRY_COMPARE_WITH_TIMEOUT(enforcer.reports, launch + 1, deadlineMs);
            scheduler.advance(0.2);
            if (!app.waitForFinished(deadlineMs) || !wasKilled(app))
                ++survivors;
            // Its end clears the pending mark, so the next launch is reported again.
            QTRY_VERIFY_WITH_TIMEOUT(enforcer.monitor.pendingLockBundleIDs().isEmpty(), deadlineMs);
        }
        QCOMPARE(survivors, 0);
    }

    // With a card up, nothing protected starts: not a second app, not a double-forked child, not
    // a launcher script that becomes an unlisted program.
    void whileACardIsUpEveryLaunchIsKilled() {
        const QString second = m_app->path(QStringLiteral("second-app"));
        const QString helper = m_app->path(QStringLiteral("helper"));
        for (const QString& copy : {second, helper}) {
            QVERIFY(QFile::copy(InstalledTestApp::program(), copy));
            QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ExeOwner);
        }
        m_app->install(QStringLiteral("org.velmora.Second"), second);
        const QString pidFile = m_app->path(QStringLiteral("grandchild.pid"));
        const QString doubleFork =
            m_app->writeScript(QStringLiteral("double-fork"),
                               QStringLiteral("(\"%1\" >/dev/null 2>&1 & echo $! > \"%2\")\nexit 0")
                                   .arg(InstalledTestApp::program(), pidFile));
        const QString launcher = m_app->writeScript(
            QStringLiteral("exec-launcher"), QStringLiteral("sleep 0.1\nexec \"%1\"").arg(helper));
        m_app->install(QStringLiteral("org.velmora.ExecLauncher"), launcher);

        QtScheduler scheduler;
        Enforcer enforcer(
            scheduler, "no-display:0",
            {QStringLiteral("org.velmora.Second"), QStringLiteral("org.velmora.ExecLauncher")});
        enforcer.overlay.showing = true;
        QProcess secondApp;
        secondApp.start(second);
        QVERIFY(secondApp.waitForStarted(deadlineMs));
        const qint64 secondPid = secondApp.processId();
        QTRY_VERIFY_WITH_TIMEOUT(wasKilled(secondApp), deadlineMs);

        QProcess forking;
        forking.start(doubleFork);
        QVERIFY(forking.waitForFinished(deadlineMs));
        pid_t grandchild = 0;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                QFile file(pidFile);
                grandchild = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
                return grandchild > 0;
            }(),
            deadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(hasEnded(grandchild), deadlineMs);

        QProcess execLauncher;
        execLauncher.start(launcher);
        QVERIFY(execLauncher.waitForStarted(deadlineMs));
        const qint64 launcherPid = execLauncher.processId();
        QTRY_VERIFY_WITH_TIMEOUT(wasKilled(execLauncher), deadlineMs);
        QCOMPARE(enforcer.reports, 0);
        // Each kill is logged once. The launcher's own `sleep` child may or may not be met by a
        // poll before the launcher dies, so the lines are counted per process, not in total.
        for (const qint64 pid : {secondPid, qint64(grandchild), launcherPid}) {
            const QString mark = QStringLiteral("killing new process: Test App (pid=%1)").arg(pid);
            QVERIFY2(enforcer.logger.lines.filter(mark).size() == 1,
                     qPrintable(enforcer.logger.lines.join(u'\n')));
        }
    }

    // Copies under any name or folder, and the program handed to the dynamic loader.
    void aCopyOfTheProgramIsStillTheApp() {
        QtScheduler scheduler;
        Enforcer enforcer(scheduler, "no-display:0");
        QTemporaryDir elsewhere;
        const QString program = InstalledTestApp::program();
        const QString copy = copyProgram(program, elsewhere.filePath(QStringLiteral("x")));
        const QString renamed =
            copyProgram(program, elsewhere.filePath(QStringLiteral("my calculator")));
        const QString loader = QStringLiteral("/lib64/ld-linux-x86-64.so.2");
        QCOMPARE(survivorsOf({{QStringLiteral("copy"), copy, {}},
                              {QStringLiteral("renamed copy"), renamed, {}},
                              {QStringLiteral("loader"), loader, {program}},
                              {QStringLiteral("loader and copy"), loader, {renamed}}}),
                 QStringList());
    }

    // An interpreted app is its script: by any path, from any folder, copied, or on stdin.
    void aProtectedScriptIsTheAppHoweverItIsRun() {
        const QString python = QStringLiteral("/usr/bin/python3");
        if (!QFileInfo(python).isExecutable())
            QSKIP("no python3");
        QDir(m_app->dataHome()).mkpath(QStringLiteral("bin"));
        QDir(m_app->dataHome()).mkpath(QStringLiteral("lib"));
        const QString folder = m_app->path(QStringLiteral("bin"));
        const QString script = m_app->path(QStringLiteral("bin/pyapp.py"));
        writeFile(script, "import time\ntime.sleep(60)\n");
        m_app->install(QStringLiteral("org.velmora.PyApp"), python + u' ' + script);
        QTemporaryDir elsewhere;
        const QString copy = elsewhere.filePath(QStringLiteral("notes.py"));
        QVERIFY(QFile::copy(script, copy));

        QtScheduler scheduler;
        Enforcer enforcer(scheduler, "no-display:0", {QStringLiteral("org.velmora.PyApp")});
        QCOMPARE(
            survivorsOf({
                {QStringLiteral("by its path"), python, {script}},
                {QStringLiteral("relative"), python, {QStringLiteral("pyapp.py")}, folder},
                {QStringLiteral("dot-relative"), python, {QStringLiteral("./pyapp.py")}, folder},
                {QStringLiteral("up and down"),
                 python,
                 {QStringLiteral("../bin/pyapp.py")},
                 m_app->path(QStringLiteral("lib"))},
                {QStringLiteral("stdin"), python, {QStringLiteral("-")}, {}, script},
                {QStringLiteral("copied script"), python, {copy}},
            }),
            QStringList());
    }

    // A menu editor's "hide" and the entry copied under another ID leave the app protected.
    void hidingOrCopyingTheEntryKeepsTheAppProtected() {
        QtScheduler scheduler;
        Enforcer enforcer(scheduler, "no-display:0");
        const QString entry =
            m_app->path(QStringLiteral("applications/%1.desktop").arg(InstalledTestApp::mainId()));
        QFile original(entry);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray contents = original.readAll();
        original.close();
        writeFile(entry, "[Desktop Entry]\nHidden=true\n");
        const QString program = InstalledTestApp::program();
        QCOMPARE(survivorsOf({{QStringLiteral("hidden"), program, {}}}), QStringList());

        // As cp writes it: first empty, then filled in place.
        const QString mine = m_app->path(QStringLiteral("applications/mycalc.desktop"));
        writeFile(mine, "");
        QCOMPARE(survivorsOf({{QStringLiteral("empty copy"), program, {}}}), QStringList());
        writeFile(mine, contents);
        QCOMPARE(survivorsOf({{QStringLiteral("copied entry"), program, {}}}), QStringList());
        writeFile(entry, contents);
        QFile::remove(mine);
        QVERIFY(!enforcer.defaults.protectedApps().first().programs.isEmpty());
    }

    // A launcher that executes a program no entry names: that program is the launcher's app,
    // however late the poll first meets it, and wherever it is started from.
    void whatALauncherExecutesIsItsApp() {
        const QString helper = distinctProgram(m_app->path(QStringLiteral("unnamed-helper")));
        const QString launcher =
            m_app->writeScript(QStringLiteral("late-exec-launcher"),
                               QStringLiteral("sleep 0.1\nexec \"%1\"").arg(helper));
        m_app->install(QStringLiteral("org.velmora.LateExec"), launcher);
        QtScheduler scheduler;
        Enforcer enforcer(scheduler, "no-display:0", {QStringLiteral("org.velmora.LateExec")});
        QList<Attempt> attempts;
        for (int launch = 0; launch < 20; ++launch)
            attempts.append({QStringLiteral("launch %1").arg(launch), launcher, {}});
        attempts.append({QStringLiteral("the helper alone"), helper, {}});
        QCOMPARE(survivorsOf(attempts), QStringList());
    }

    // The ways of starting a program that were always caught stay caught.
    void everyOrdinaryWayOfStartingIsKilled() {
        QtScheduler scheduler;
        Enforcer enforcer(scheduler, "no-display:0");
        const QString program = InstalledTestApp::program();
        QTemporaryDir elsewhere;
        const QString link = elsewhere.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(program, link));
        QList<Attempt> attempts{
            {QStringLiteral("normal"), program, {}},
            {QStringLiteral("symlink"), link, {}},
            {QStringLiteral("exec -a"),
             QStringLiteral("/bin/bash"),
             {QStringLiteral("-c"), QStringLiteral("exec -a innocent \"$0\""), program}},
            {QStringLiteral("env -i"),
             QStringLiteral("/usr/bin/env"),
             {QStringLiteral("-i"), program}},
            {QStringLiteral("setsid"), QStringLiteral("/usr/bin/setsid"), {program}},
            {QStringLiteral("nohup"), QStringLiteral("/usr/bin/nohup"), {program}},
            {QStringLiteral("unshare -r"),
             QStringLiteral("/usr/bin/unshare"),
             {QStringLiteral("-r"), program}},
            {QStringLiteral("unshare -rpf"),
             QStringLiteral("/usr/bin/unshare"),
             {QStringLiteral("-rpf"), program},
             {},
             {},
             true},
        };
        const QString bwrap = QStandardPaths::findExecutable(QStringLiteral("bwrap"));
        if (!bwrap.isEmpty())
            attempts.append(
                {QStringLiteral("bwrap"),
                 bwrap,
                 {QStringLiteral("--bind"), QStringLiteral("/"), QStringLiteral("/"), program}});
        QCOMPARE(survivorsOf(attempts), QStringList());
    }

    void mountChangesAreSeenAsTheyHappen() {
        MountTableWatcher watcher;
        QVERIFY(watcher.isWatching());
        int changes = 0;
        watcher.setHandler([&] { ++changes; });
        const int before = changes;
        TestVolume volume(uniqueDriveName());
        if (!volume.error().isEmpty())
            QSKIP(qPrintable(QStringLiteral("mounting a tmpfs is not permitted here: ") +
                             volume.error()));
        QTRY_VERIFY_WITH_TIMEOUT(changes > before, deadlineMs);
    }

    // The program as the user starts it enforces protection on its own.
    // The program as the user starts it enforces protection on its own, whatever else fails: no
    // display, a display that is gone, a udisks2 that answers late or never.
    void theProgramKillsAProtectedAppWithinAPoll_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("udisksAnswersAfterSeconds"); // 0: no udisks2 stand-in
        QTest::newRow("no display") << QString() << 0;
        QTest::newRow("dead display") << QStringLiteral(":97") << 0;
        QTest::newRow("slow udisks2") << QString() << 3;
        QTest::newRow("hung udisks2") << QString() << 3600;
    }

    void theProgramKillsAProtectedAppWithinAPoll() {
        QFETCH(QString, display);
        QFETCH(int, udisksAnswersAfterSeconds);
        QTemporaryDir config;
        {
            CapturingLogger logger;
            SettingsFileStore store(config.filePath(QStringLiteral("Tarnwick/Velmora.conf")),
                                    logger);
            Defaults defaults(store, logger);
            protectTestApp(defaults, logger);
        }
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        PrivateBus systemBus;
        if (udisksAnswersAfterSeconds > 0) {
            startSlowUdisks(systemBus, udisksAnswersAfterSeconds);
            environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus.address());
        }
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(VELMORA_BINARY));
        QByteArray output;
        auto said = [&](const char* text) {
            output += program.readAll();
            return output.contains(text);
        };
        QTRY_VERIFY_WITH_TIMEOUT(said("[Velmora] App monitor started (polling + activation)"),
                                 deadlineMs);
        if (!display.isEmpty())
            QVERIFY2(said("[Velmora] Cannot connect to display :97; running without windows "
                          "(offscreen)\n"),
                     output.constData());

        QProcess locked;
        locked.start(InstalledTestApp::program());
        // Well within the time a blocking call to udisks2 would take (seconds).
        QTRY_VERIFY_WITH_TIMEOUT(wasKilled(locked), udisksAnswersAfterSeconds ? 2500 : deadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(said("killing new process: Test App"), deadlineMs);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished(deadlineMs);
    }

private:
    // A udisks2 stand-in that takes its time to list its objects.
    static void startSlowUdisks(PrivateBus& bus, int seconds) {
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        const QString service = QStringLiteral("org.freedesktop.UDisks2");
        const QString root = QStringLiteral("/org/freedesktop/UDisks2");
        QVERIFY2(bus.startMock({QStringLiteral("--system"), QStringLiteral("-m"), service, root,
                                QStringLiteral("org.freedesktop.UDisks2.Manager")},
                               service),
                 qPrintable(bus.lastError));
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, root, QStringLiteral("org.freedesktop.DBus.Mock"),
            QStringLiteral("AddMethod"));
        call << QStringLiteral("org.freedesktop.DBus.ObjectManager")
             << QStringLiteral("GetManagedObjects") << QString() << QStringLiteral("a{oa{sa{sv}}}")
             << QStringLiteral("time.sleep(%1); ret = {}").arg(seconds);
        const QDBusMessage reply = bus.connection().call(call);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    std::unique_ptr<InstalledTestApp> m_app;
};

QTEST_GUILESS_MAIN(ProtectionTest)
#include "ProtectionTest.moc"
