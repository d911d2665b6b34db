#include "fakes/CapturingLogger.h"
#include "process/AppIdResolver.h"
#include "process/ProcessFiles.h"
#include "process/ProcessScanner.h"
#include "support/DesktopEntryTree.h"
#include "xdg/ApplicationScanner.h"
#include "xdg/DesktopEntry.h"
#include "xdg/DesktopEntryIndex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>
#include <unistd.h>

namespace {

void writeEntry(const QString& dataDir, const QString& name, const QByteArray& contents) {
    QDir().mkpath(dataDir + QStringLiteral("/applications"));
    QFile file(dataDir + QStringLiteral("/applications/") + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

} // namespace

class AppIdentificationTest : public QObject {
    Q_OBJECT

private slots:
    void systemdUnits_data() {
        QTest::addColumn<QString>("cgroup");
        QTest::addColumn<QString>("id");
        const QString slice =
            QStringLiteral("/user.slice/user-1000.slice/user@1000.service/app.slice/");
        QTest::newRow("scope with launcher") << slice + "app-gnome-org.gnome.TextEditor-4242.scope"
                                             << "org.gnome.TextEditor";
        QTest::newRow("scope without launcher") << slice + "app-firefox\\x2desr-17.scope"
                                                << "firefox-esr";
        QTest::newRow("service with instance") << slice + "app-kde-org.kde.kate@a1b2.service"
                                               << "org.kde.kate";
        QTest::newRow("service") << slice + "app-org.example.Tool.service"
                                 << "org.example.Tool";
        QTest::newRow("sub-group of a unit") << slice + "app-gnome-org.gnome.Epiphany-9.scope/tab"
                                             << "org.gnome.Epiphany";
        QTest::newRow("session") << "/user.slice/user-1000.slice/session-2.scope"
                                 << "";
        QTest::newRow("the app slice itself") << slice << "";
        QTest::newRow("too many parts") << slice + "app-a-b-c-d.scope"
                                        << "";
        QTest::newRow("root") << "/"
                              << "";
    }
    void systemdUnits() {
        QFETCH(QString, cgroup);
        QFETCH(QString, id);
        QCOMPARE(AppIdResolver::idFromSystemdCgroup(cgroup).value_or(QString()), id);
    }

    void snapAndFlatpakIdentities() {
        const QString scope =
            QStringLiteral("/user.slice/user-1000.slice/user@1000.service/app.slice/"
                           "snap.firefox.firefox-6c2e5d7b-2a4f-4c7e-9a43-1d8f0b9e1c11.scope");
        QCOMPARE(AppIdResolver::idFromSnapCgroup(scope), QStringLiteral("firefox_firefox"));
        QCOMPARE(AppIdResolver::idFromSnapCgroup(
                     QStringLiteral("/system.slice/snap.lxd.daemon.service")),
                 QStringLiteral("lxd_daemon"));
        QCOMPARE(AppIdResolver::idFromSnapCgroup(QStringLiteral("/app.slice/snap.firefox.scope")),
                 std::nullopt);
        QCOMPARE(AppIdResolver::idFromSnapCgroup(QStringLiteral("/snapshot.service")),
                 std::nullopt);

        QCOMPARE(AppIdResolver::idFromFlatpakInfo("[Application]\nname=org.gimp.GIMP\n"
                                                  "runtime=runtime/org.gnome.Platform\n"),
                 QStringLiteral("org.gimp.GIMP"));
        QCOMPARE(AppIdResolver::idFromFlatpakInfo("[Runtime]\nname=org.gnome.Platform\n"),
                 std::nullopt);
        QCOMPARE(AppIdResolver::idFromFlatpakInfo(QByteArray()), std::nullopt);
    }

    void desktopEntryProgramAndArguments() {
        const auto entry = DesktopEntry::parse(
            "# comment\n[Desktop Entry]\nType=Application\n"
            "Exec=env GDK_BACKEND=x11 -u X \"/opt/My App/bin/app\" --new-window \"a \\\"b\\\"\" "
            "%U\n"
            "Exec=/ignored/second\nName=App\n[Desktop Action new]\nExec=/other --x\n");
        QVERIFY(entry);
        QVERIFY(entry->isApplication());
        QVERIFY(!entry->isHiddenFromUser());
        QCOMPARE(entry->execProgram(), QStringLiteral("/opt/My App/bin/app"));
        QCOMPARE(entry->execFixedArguments(),
                 (QStringList{QStringLiteral("--new-window"), QStringLiteral("a \"b\"")}));

        QCOMPARE(DesktopEntry::splitExec(QStringLiteral("app \"unbalanced")), QStringList());
        QCOMPARE(DesktopEntry::parse("[Other Group]\nExec=x\n"), std::nullopt);
        const auto hidden =
            DesktopEntry::parse("[Desktop Entry]\nType=Application\nNoDisplay=true\n");
        QVERIFY(hidden && hidden->isHiddenFromUser() && hidden->execProgram().isEmpty());
        const auto binary = DesktopEntry::parse(QByteArray("\xff\xfe[Desktop Entry]\0\0", 20));
        QVERIFY(!binary || binary->execProgram().isEmpty());
    }

    void processStatFields() {
        const auto stat = ProcessFiles::parseStat(
            "4242 (odd ) (name) S 17 4242 4242 0 -1 4194560 1 0 0 0 0 0 0 0 20 0 1 0 987654 0 0\n");
        QVERIFY(stat);
        QCOMPARE(stat->state, 'S');
        QCOMPARE(stat->parent, 17);
        QCOMPARE(stat->startTime, std::uint64_t(987654));
        QVERIFY(!stat->isKernelThread());
        QVERIFY(!stat->hasEnded());
        const auto thread = ProcessFiles::parseStat(
            "2 (kthreadd) S 0 0 0 0 -1 2129984 0 0 0 0 0 0 0 0 20 0 1 0 5 0 0\n");
        QVERIFY(thread && thread->isKernelThread());
        const auto zombie =
            ProcessFiles::parseStat("9 (x) Z 1 9 9 0 -1 4194564 0 0 0 0 0 0 0 0 20 0 1 0 77 0 0\n");
        QVERIFY(zombie && zombie->hasEnded());
        QCOMPARE(ProcessFiles::parseStat("12 (cut short) S 1 2"), std::nullopt);
        QCOMPARE(ProcessFiles::parseStat(QByteArray()), std::nullopt);
        QCOMPARE(ProcessFiles::unifiedCgroupOf("1:name=systemd:/a\n0::/user.slice/x.scope\n"),
                 QStringLiteral("/user.slice/x.scope"));
        QCOMPARE(ProcessFiles::variable(QByteArray("A=1\0B=two\0", 10), "B"), QByteArray("two"));
    }

    // A look while no process started reads only the kernel's newest number; anything that
    // cannot be read that way means "list again".
    void scannerListsProcessesAndTellsWhetherAnyStarted() {
        QTemporaryDir proc;
        for (const char* name : {"42", "self", "7", "x12", "1000"})
            QVERIFY(QDir(proc.path()).mkdir(QString::fromLatin1(name)));
        const auto setNewest = [&](const QByteArray& contents) {
            QFile loadavg(proc.filePath(QStringLiteral("loadavg")));
            QVERIFY(loadavg.open(QIODevice::WriteOnly | QIODevice::Truncate));
            loadavg.write(contents);
        };
        setNewest("0.20 0.18 0.12 1/80 1000\n");
        ProcessScanner scanner(QFile::encodeName(proc.path()));
        QVERIFY(scanner.mayHaveNewProcesses());
        std::vector<pid_t> pids;
        for (const ProcessScanner::Entry& entry : scanner.scan())
            pids.push_back(entry.pid);
        QCOMPARE(pids, (std::vector<pid_t>{7, 42, 1000}));
        QVERIFY(!scanner.mayHaveNewProcesses());
        setNewest("0.20 0.18 0.12 2/81 1001\n");
        QVERIFY(scanner.mayHaveNewProcesses());
        scanner.scan();
        QVERIFY(!scanner.mayHaveNewProcesses());
        setNewest("garbage");
        QVERIFY(scanner.mayHaveNewProcesses());
        scanner.scan();
        QVERIFY(scanner.mayHaveNewProcesses());
        QCOMPARE(scanner.newSinceLastLook(), std::nullopt);
    }

    // New processes are found by trying the numbers handed out since the last look: this
    // process's is one, its thread's is none, and numbers that wrapped or are too many for
    // trying to pay need a listing.
    void scannerTriesTheNumbersHandedOutSince() {
        QTemporaryDir proc;
        const pid_t self = ::getpid();
        QVERIFY(QDir(proc.path()).mkdir(QString::number(self)));
        const auto setNewest = [&](pid_t newest) {
            QFile loadavg(proc.filePath(QStringLiteral("loadavg")));
            QVERIFY(loadavg.open(QIODevice::WriteOnly | QIODevice::Truncate));
            loadavg.write("0.20 0.18 0.12 1/80 " + QByteArray::number(newest) + '\n');
        };
        pid_t thread = 0;
        std::thread helper([&] { thread = static_cast<pid_t>(::gettid()); });
        helper.join();
        setNewest(self - 1);
        ProcessScanner scanner(QFile::encodeName(proc.path()));
        scanner.scan();
        QCOMPARE(scanner.newSinceLastLook()->size(), std::size_t(0));
        setNewest(self);
        const auto found = scanner.newSinceLastLook();
        QVERIFY(found && found->size() == 1 && found->front().pid == self);
        QCOMPARE(scanner.newSinceLastLook()->size(), std::size_t(0));
        if (thread > self && thread - self < 64) {
            setNewest(thread);
            QCOMPARE(scanner.newSinceLastLook()->size(), std::size_t(0));
        }
        setNewest(self - 1);
        QCOMPARE(scanner.newSinceLastLook(), std::nullopt);
        scanner.scan();
        setNewest(self + 1000);
        QCOMPARE(scanner.newSinceLastLook(), std::nullopt);
    }

    void indexPrefersEarlierFoldersAndMatchesArguments() {
        QTemporaryDir home;
        QTemporaryDir system;
        const QString sh = DesktopEntryIndex::canonicalProgram(QStringLiteral("sh"));
        QVERIFY(!sh.isEmpty());
        // The user's copy hides the system's entry of the same ID.
        writeEntry(home.path(), QStringLiteral("org.example.Hidden.desktop"),
                   "[Desktop Entry]\nType=Application\nHidden=true\nExec=sh\n");
        writeEntry(system.path(), QStringLiteral("org.example.Hidden.desktop"),
                   "[Desktop Entry]\nType=Application\nExec=sh\n");
        // Two entries sharing one program, told apart by their own arguments.
        writeEntry(system.path(), QStringLiteral("org.example.A.desktop"),
                   "[Desktop Entry]\nType=Application\nExec=/bin/sh run org.example.A %u\n");
        writeEntry(system.path(), QStringLiteral("org.example.B.desktop"),
                   "[Desktop Entry]\nType=Application\nExec=sh run org.example.B\n");
        writeEntry(system.path(), QStringLiteral("broken.desktop"), "\x01\x02 not an entry");
        writeEntry(system.path(), QStringLiteral("link.desktop"),
                   "[Desktop Entry]\nType=Link\nExec=sh\n");

        DesktopEntryIndex index({home.path(), system.path()});
        QVERIFY(index.contains(QStringLiteral("org.example.Hidden")));
        QVERIFY(!index.runsProgram(QStringLiteral("org.example.Hidden"), sh));
        QCOMPARE(index.idForProgram(sh, {QStringLiteral("run"), QStringLiteral("org.example.B")}),
                 QStringLiteral("org.example.B"));
        QCOMPARE(index.idForProgram(sh, {QStringLiteral("run"), QStringLiteral("org.example.A"),
                                         QStringLiteral("file")}),
                 QStringLiteral("org.example.A"));
        QCOMPARE(index.idForProgram(sh, {QStringLiteral("other")}), std::nullopt);

        QCOMPARE(
            index.idForFile(system.path() + QStringLiteral("/applications/kde/org.kde.X.desktop")),
            QStringLiteral("kde-org.kde.X"));
        QCOMPARE(index.idForFile(QStringLiteral("/elsewhere/org.example.Y.desktop")),
                 QStringLiteral("org.example.Y"));
    }

    void windowClassNamesItsEntryThenWindowClassThenProgram() {
        QTemporaryDir data;
        writeEntry(data.path(), QStringLiteral("term.desktop"),
                   "[Desktop Entry]\nType=Application\nExec=foot\n");
        writeEntry(data.path(), QStringLiteral("org.example.Editor.desktop"),
                   "[Desktop Entry]\nType=Application\nExec=/opt/edit/edit-it %f\n"
                   "StartupWMClass=editor\n");
        writeEntry(data.path(), QStringLiteral("org.example.Tool.desktop"),
                   "[Desktop Entry]\nType=Application\nExec=env A=1 editor\n"
                   "StartupWMClass=term\n");
        DesktopEntryIndex index({data.path()});
        QCOMPARE(index.idForWindowClass(QStringLiteral("term")), QStringLiteral("term"));
        QCOMPARE(index.idForWindowClass(QStringLiteral("editor")),
                 QStringLiteral("org.example.Editor"));
        QCOMPARE(index.idForWindowClass(QStringLiteral("edit-it")),
                 QStringLiteral("org.example.Editor"));
        QCOMPARE(index.idForWindowClass(QStringLiteral("foot")), QStringLiteral("term"));
        QCOMPARE(index.idForWindowClass(QStringLiteral("unknown")), std::nullopt);
        QCOMPARE(index.idForWindowClass(QString()), std::nullopt);
    }

    // The resolver and the picker read one walk: the same entry stands for an ID in both, and
    // an entry too large to read hides the later one without being an application itself.
    void resolverAndPickerAgreeOnWhichEntryStands() {
        DesktopEntryTree tree;
        tree.write(tree.home(), QStringLiteral("org.example.Editor.desktop"),
                   QStringLiteral("Type=Application\nExec=sh\nName=Editor"));
        tree.app(tree.system(), QStringLiteral("org.example.Editor"), QStringLiteral("Old"));
        tree.app(tree.home(), QStringLiteral("org.example.Big"), QStringLiteral("Big"),
                 QStringLiteral("Comment=") + QString(1 << 20, u'x'));
        tree.app(tree.system(), QStringLiteral("org.example.Big"), QStringLiteral("Big"));

        CapturingLogger logger;
        const QList<AppInfo> apps = ApplicationScanner(logger, tree.dataDirs()).scan({}, {});
        QCOMPARE(apps.size(), 1);
        QCOMPARE(apps.first().name, QStringLiteral("Editor"));
        DesktopEntryIndex index(tree.dataDirs());
        const QString sh = DesktopEntryIndex::canonicalProgram(QStringLiteral("sh"));
        QCOMPARE(index.idForProgram(sh, {}), QStringLiteral("org.example.Editor"));
        QVERIFY(index.contains(QStringLiteral("org.example.Big")));
        QCOMPARE(index.launchFiles(QStringLiteral("org.example.Big")), QStringList());
    }
};

QTEST_GUILESS_MAIN(AppIdentificationTest)
#include "AppIdentificationTest.moc"
