#include "services/AppMonitorService.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/FakeRunRecord.h"
#include "fakes/FakeWorkspace.h"
#include "model/LogName.h"
#include "services/RunHistory.h"
#include "support/DriveMonitorRig.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

namespace {

const QString editorID = QStringLiteral("org.example.Editor");
const QString viewerID = QStringLiteral("org.example.Viewer");

// A fresh graph of services on fakes: one drive "Vault", not mounted, and the editor requiring
// it. Monitoring starts with whatever is running at that moment.
struct Fixture : DriveMonitorRig<> {
    FakeWorkspace workspace;
    FakeOverlayState overlay;
    FakeRunRecord runRecord;
    std::unique_ptr<RunHistory> history;
    std::unique_ptr<AppMonitorService> monitor;
    QList<ProtectedApp> reported;

    Fixture() {
        drives.addDrive(QStringLiteral("Vault"), QStringLiteral("/media/me/Vault"), std::nullopt);
        protect({record(editorID, QStringLiteral("Editor"), vault().id)});
    }

    ProtectedDrive vault() const { return drives.drives().first(); }

    static ProtectedApp record(const QString& bundleID, const QString& name,
                               std::optional<QUuid> driveID, bool enabled = true) {
        return ProtectedApp{QUuid::createUuid(),
                            bundleID,
                            name,
                            QString(),
                            enabled,
                            driveID,
                            QDateTime::currentDateTimeUtc()};
    }
    void protect(const QList<ProtectedApp>& apps) { defaults.setProtectedApps(apps); }
    void setProtection(bool on) {
        AppSettings settings = defaults.appSettings();
        settings.isProtectionEnabled = on;
        defaults.setAppSettings(settings);
    }

    void start() {
        history = std::make_unique<RunHistory>(runRecord, workspace, scheduler);
        history->start();
        monitor = std::make_unique<AppMonitorService>(workspace, scheduler, defaults, drives,
                                                      driveMonitor, overlay, logger, history.get());
        monitor->onProtectedAppDetected = [this](const ProtectedApp& app) { reported.append(app); };
        monitor->startMonitoring();
        logger.lines.clear();
    }
    void poll() { scheduler.advance(0.2); }
    int killLines() const {
        return static_cast<int>(logger.lines.filter(QStringLiteral("killing new process")).size());
    }
};

} // namespace

class AppMonitorServiceTest : public QObject {
    Q_OBJECT

private slots:
    void killsAndReportsNewProcessOnceThenAgainAfterItEnded() {
        Fixture f;
        f.start();
        const RunningApplication first = f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated, QList<RunningApplication>{first});
        QCOMPARE(f.reported.size(), 1);
        QCOMPARE(f.monitor->detectedApp()->bundleIdentifier, editorID);
        QCOMPARE(f.logger.lines,
                 QStringList{QStringLiteral("[Velmora] Drive Vault not mounted — killing new "
                                            "process: Editor (pid=%1)")
                                 .arg(first.processIdentifier)});
        QVERIFY(f.monitor->pendingLockBundleIDs().contains(editorID));

        // A second process before the first one's end is known: killed, not reported again.
        const RunningApplication helper = f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.last(), helper);
        QCOMPARE(f.reported.size(), 1);

        f.workspace.deliverTerminations();
        QVERIFY(f.monitor->pendingLockBundleIDs().isEmpty());
        QVERIFY(!f.monitor->knownPIDs().contains(first.processIdentifier));
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.size(), 2); // the helper was judged once already

        const RunningApplication relaunch = f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.last(), relaunch);
        QCOMPARE(f.reported.size(), 2);
        QCOMPARE(f.killLines(), 3);
    }

    // A name of 50 MB (app and drive alike) is cut with "…" in the line: the log stays bounded.
    void hugeNamesAreCutInLogLines() {
        Fixture f;
        const QString huge(50 * 1024 * 1024, QLatin1Char('x'));
        f.drives.addDrive(huge, QStringLiteral("/media/me/Huge"), std::nullopt);
        const ProtectedDrive hugeDrive = f.drives.drives().last();
        f.protect({Fixture::record(editorID, huge, hugeDrive.id)});
        QVERIFY(f.logger.lines.last().size() < 2 * maxLogNameLength);
        f.start();
        const RunningApplication app = f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated, QList<RunningApplication>{app});
        const QString cut = QString(maxLogNameLength - 1, QLatin1Char('x')) + QChar(0x2026);
        QCOMPARE(f.logger.lines,
                 QStringList{QStringLiteral("[Velmora] Drive %1 not mounted — killing new "
                                            "process: %2 (pid=%3)")
                                 .arg(cut, cut, QString::number(app.processIdentifier))});
        QCOMPARE(logName(QString(maxLogNameLength, QLatin1Char('y'))),
                 QString(maxLogNameLength, QLatin1Char('y')));
    }

    // An exec of a watched program is looked at once and for a while after: the launcher that
    // becomes the app only later is still killed before the next poll would have run.
    void launchEventKillsBeforeThePollAndWatchesFollowTheList() {
        Fixture f;
        f.protect({Fixture::record(editorID, QStringLiteral("Editor"), f.vault().id),
                   Fixture::record(viewerID, QStringLiteral("Viewer"), f.vault().id, false)});
        f.start();
        QCOMPARE(f.workspace.watchedLaunches, QSet<QString>{editorID});
        QStringList events;
        f.workspace.onForceTerminate = [&] { events.append(QStringLiteral("kill")); };
        f.scheduler.once(0.2, [&] { events.append(QStringLiteral("poll due")); });

        f.workspace.announceLaunch();
        f.scheduler.advance(0.01);
        const RunningApplication editor = f.workspace.launch(editorID);
        f.scheduler.advance(0.2);
        QCOMPARE(events, (QStringList{QStringLiteral("kill"), QStringLiteral("poll due")}));
        QCOMPARE(f.workspace.forceTerminated, QList<RunningApplication>{editor});
        QCOMPARE(f.reported.size(), 1);

        f.protect({Fixture::record(viewerID, QStringLiteral("Viewer"), f.vault().id)});
        f.monitor->refreshLaunchWatches();
        QCOMPARE(f.workspace.watchedLaunches, QSet<QString>{viewerID});
    }

    void processAlreadyRunningAtStartIsNotKilledButReportedByStartupCheck() {
        Fixture f;
        f.workspace.launch(editorID);
        f.start();
        f.scheduler.advance(1.4);
        QVERIFY(f.workspace.forceTerminated.isEmpty());
        QVERIFY(f.reported.isEmpty());
        f.scheduler.advance(0.1);
        QVERIFY(f.workspace.forceTerminated.isEmpty());
        QCOMPARE(f.reported.size(), 1);
        QCOMPARE(f.logger.lines,
                 QStringList{QStringLiteral("[Velmora] checkRunningApps: 1 protected, "
                                            "protection=ON")});
    }

    // Still never killed: the note only tells the owner that Velmora did not see it start.
    void startupCheckSaysWhenAnAppStartedWhileVelmoraWasNotRunning_data() {
        QTest::addColumn<std::optional<QDateTime>>("lastRunning");
        QTest::addColumn<std::optional<qint64>>("startedSecondsAfter");
        QTest::addColumn<bool>("noted");
        const QDateTime last = QDateTime::currentDateTimeUtc().addSecs(-3600);
        QTest::newRow("after Velmora stopped")
            << std::optional(last) << std::optional<qint64>(5) << true;
        QTest::newRow("under Velmora's watch")
            << std::optional(last) << std::optional<qint64>(-60) << false;
        QTest::newRow("Velmora never ran in this session")
            << std::optional(QDateTime()) << std::optional<qint64>(-60) << true;
        QTest::newRow("unreadable record")
            << std::optional<QDateTime>() << std::optional<qint64>(5) << false;
        QTest::newRow("start time unknown")
            << std::optional(last) << std::optional<qint64>() << false;
    }
    void startupCheckSaysWhenAnAppStartedWhileVelmoraWasNotRunning() {
        QFETCH(std::optional<QDateTime>, lastRunning);
        QFETCH(std::optional<qint64>, startedSecondsAfter);
        QFETCH(bool, noted);
        Fixture f;
        f.runRecord.recorded = lastRunning;
        const RunningApplication editor = f.workspace.launch(editorID);
        if (startedSecondsAfter) {
            const QDateTime base = lastRunning && lastRunning->isValid()
                                       ? *lastRunning
                                       : QDateTime::currentDateTimeUtc();
            f.workspace.launchDates.insert(editor.processIdentifier,
                                           base.addSecs(*startedSecondsAfter));
        }
        f.start();
        f.scheduler.advance(1.5);
        QCOMPARE(f.reported.size(), 1);
        QVERIFY(f.workspace.forceTerminated.isEmpty());
        QCOMPARE(f.monitor->startedWhileAway(editorID), noted);
        const QString note = QStringLiteral("[Velmora] Editor (pid=%1) started while Velmora was "
                                            "not running")
                                 .arg(editor.processIdentifier);
        QCOMPARE(f.logger.lines.contains(note), noted);
        f.workspace.quit(editor);
        QVERIFY(!f.monitor->startedWhileAway(editorID));
    }

    // Recorded at start, every ten seconds, and at an orderly end.
    void velmoraRecordsThatItRunsUntilItStops() {
        Fixture f;
        f.start();
        QCOMPARE(f.runRecord.recordings, 1);
        f.scheduler.advance(RunHistory::recordIntervalSeconds * 3);
        QCOMPARE(f.runRecord.recordings, 4);
        f.monitor.reset();
        f.history.reset();
        QCOMPARE(f.runRecord.recordings, 5);
        f.scheduler.advance(RunHistory::recordIntervalSeconds * 3);
        QCOMPARE(f.runRecord.recordings, 5);
    }

    void activationReportedOnceUntilTheAppQuits() {
        Fixture f;
        const RunningApplication editor = f.workspace.launch(editorID);
        f.start();
        QSignalSpy changed(f.monitor.get(), &AppMonitorService::detectedAppChanged);
        f.workspace.bringToFront(editor);
        QCOMPARE(f.reported.size(), 1);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(f.logger.lines, QStringList{QStringLiteral("[Velmora] Drive Vault not mounted — "
                                                            "blocking activation of: Editor")});
        QVERIFY(f.workspace.forceTerminated.isEmpty());

        // The overlay was cancelled; bringing the app forward again raises nothing.
        f.workspace.bringToFront(editor);
        f.scheduler.advance(2.0);
        QCOMPARE(f.reported.size(), 1);

        f.workspace.quit(editor);
        f.workspace.bringToFront(f.workspace.launch(editorID));
        QCOMPARE(f.reported.size(), 2);
    }

    void forceQuitFromOverlayLetsTheNextLaunchBeJudged() {
        Fixture f;
        const RunningApplication editor = f.workspace.launch(editorID);
        f.start();
        f.workspace.bringToFront(editor);
        f.monitor->removePendingLock(editorID);
        f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.size(), 1);
    }

    void protectionOffLogsOnlyTheSummaryAndSparesProcessesSeenMeanwhile() {
        Fixture f;
        f.setProtection(false);
        f.start();
        const RunningApplication editor = f.workspace.launch(editorID);
        f.poll();
        f.workspace.bringToFront(editor);
        f.scheduler.advance(2.0);
        QVERIFY(f.workspace.forceTerminated.isEmpty());
        QVERIFY(f.reported.isEmpty());
        QCOMPARE(f.logger.lines,
                 QStringList{QStringLiteral("[Velmora] checkRunningApps: 1 protected, "
                                            "protection=OFF")});

        f.setProtection(true);
        f.poll();
        QVERIFY(f.workspace.forceTerminated.isEmpty());
        f.workspace.bringToFront(editor);
        QCOMPARE(f.reported.size(), 1);
    }

    // A card already up, or an activation seen before the poll, reports nothing new but never
    // lets a new process live.
    void showingOverlayOrEarlyActivationStillKillsNewProcesses() {
        Fixture f;
        f.overlay.showing = true;
        f.start();
        const RunningApplication editor = f.workspace.launch(editorID);
        f.workspace.bringToFront(editor);
        f.poll();
        f.scheduler.advance(2.0);
        QCOMPARE(f.workspace.forceTerminated, QList<RunningApplication>{editor});
        QVERIFY(f.reported.isEmpty());

        f.overlay.showing = false;
        f.workspace.deliverTerminations();
        const RunningApplication again = f.workspace.launch(editorID);
        f.workspace.bringToFront(again);
        QCOMPARE(f.reported.size(), 1);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.last(), again);
        QCOMPARE(f.reported.size(), 1);
    }

    void driveThatCannotLockLetsTheAppRun_data() {
        QTest::addColumn<QString>("situation");
        QTest::newRow("mounted") << "mounted";
        QTest::newRow("disabled") << "disabled";
        QTest::newRow("deleted") << "deleted";
        QTest::newRow("no drive") << "none";
    }
    void driveThatCannotLockLetsTheAppRun() {
        QFETCH(QString, situation);
        Fixture f;
        if (situation == QLatin1String("mounted"))
            f.volumes.mount(QStringLiteral("Vault"));
        if (situation == QLatin1String("disabled"))
            f.drives.toggleDrive(f.vault());
        if (situation == QLatin1String("deleted"))
            f.drives.removeDrive(f.vault());
        if (situation == QLatin1String("none"))
            f.protect({Fixture::record(editorID, QStringLiteral("Editor"), std::nullopt)});
        f.start();
        const RunningApplication editor = f.workspace.launch(editorID);
        f.poll();
        f.workspace.bringToFront(editor);
        f.scheduler.advance(2.0);
        QVERIFY(f.workspace.forceTerminated.isEmpty());
        QVERIFY(f.reported.isEmpty());
        QCOMPARE(f.logger.lines.mid(0, 2),
                 (QStringList{QStringLiteral("[Velmora] Protected app launched (drive "
                                             "available): Editor (org.example.Editor)"),
                              QStringLiteral("[Velmora] Protected app activated (drive "
                                             "available): Editor (org.example.Editor)")}));
    }

    // Any one switched-on drive of the app lets it run; without all of them it is killed and the
    // first is named; a switched-off spare opens nothing, and with all off the app is free.
    void anySpareDriveUnlocksTheApp() {
        Fixture f;
        f.drives.addDrive(QStringLiteral("Spare"), QStringLiteral("/media/me/Spare"), std::nullopt);
        ProtectedApp editor = Fixture::record(editorID, QStringLiteral("Editor"), f.vault().id);
        editor.spareDriveIDs = {QUuid::createUuid(), f.drives.drives()[1].id};
        f.protect({editor});
        f.start();
        f.volumes.mount(QStringLiteral("Spare"));
        f.workspace.launch(editorID);
        f.poll();
        QVERIFY(f.workspace.forceTerminated.isEmpty());

        f.volumes.unmountAll();
        f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.size(), 1);
        QCOMPARE(f.logger.lines
                     .filter(QStringLiteral(
                         "[Velmora] Drive Vault not mounted — killing new process: Editor"))
                     .size(),
                 1);

        f.volumes.mount(QStringLiteral("Spare"));
        f.drives.toggleDrive(f.drives.drives()[1]);
        f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.size(), 2);
        f.drives.toggleDrive(f.vault());
        f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.size(), 2);
    }

    void enabledRecordAfterDisabledDuplicateDecides() {
        Fixture f;
        f.volumes.mount(QStringLiteral("Other"));
        f.drives.addDrive(QStringLiteral("Other"), QStringLiteral("/media/me/Other"), std::nullopt);
        const QUuid other = f.drives.drives().last().id;
        f.protect({Fixture::record(editorID, QStringLiteral("Old"), other, false),
                   Fixture::record(editorID, QStringLiteral("New"), f.vault().id)});
        f.start();
        f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.reported.size(), 1);
        QCOMPARE(f.reported.first().name, QStringLiteral("New"));

        f.protect({Fixture::record(viewerID, QStringLiteral("Viewer"), f.vault().id, false)});
        f.workspace.launch(viewerID);
        f.poll();
        QCOMPARE(f.reported.size(), 1);
    }

    void unknownAndUnidentifiedProcessesAreNeverTouched() {
        Fixture f;
        f.start();
        f.workspace.launch(viewerID);
        const RunningApplication anonymous = f.workspace.launch(std::nullopt);
        f.poll();
        f.workspace.bringToFront(anonymous);
        f.workspace.quit(anonymous);
        QVERIFY(f.workspace.forceTerminated.isEmpty());
        QVERIFY(!f.monitor->knownPIDs().contains(anonymous.processIdentifier));
        QVERIFY(f.logger.lines.isEmpty());
    }

    void blacklistNeedsAnExactMatchButTheStartupCheckIgnoresIt() {
        Fixture f;
        const QString terminal = QStringLiteral("org.gnome.Terminal");
        const QString lookalike = QStringLiteral("org.gnome.terminal");
        f.protect({Fixture::record(terminal, QStringLiteral("Terminal"), f.vault().id),
                   Fixture::record(lookalike, QStringLiteral("Lookalike"), f.vault().id)});
        const RunningApplication running = f.workspace.launch(terminal);
        f.start();
        f.workspace.bringToFront(running);
        f.workspace.launch(terminal);
        f.poll();
        QVERIFY(f.reported.isEmpty());
        QVERIFY(f.workspace.forceTerminated.isEmpty());

        f.scheduler.advance(1.5);
        QCOMPARE(f.reported.size(), 1);
        QCOMPARE(f.reported.first().bundleIdentifier, terminal);
        QVERIFY(f.workspace.forceTerminated.isEmpty());

        f.workspace.launch(lookalike);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.size(), 1);
    }

    void startupCheckReportsOnlyTheFirstMissingApp() {
        Fixture f;
        f.protect({Fixture::record(editorID, QStringLiteral("Editor"), f.vault().id),
                   Fixture::record(viewerID, QStringLiteral("Viewer"), f.vault().id)});
        f.workspace.launch(std::nullopt);
        const RunningApplication viewer = f.workspace.launch(viewerID);
        f.workspace.launch(editorID);
        f.start();
        f.scheduler.advance(1.5);
        QCOMPARE(f.reported.size(), 1);
        QCOMPARE(f.reported.first().bundleIdentifier, viewerID);
        QCOMPARE(f.logger.lines.size(), 1);
        QVERIFY(f.workspace.forceTerminated.isEmpty());
    }

    // The survivor is judged once; a further process of the app is still killed, silently.
    void processSurvivingTheKillStaysPendingAndIsNotKilledAgain() {
        Fixture f;
        f.workspace.killsSucceed = false;
        f.start();
        f.workspace.launch(editorID);
        f.poll();
        f.poll();
        f.workspace.launch(editorID);
        f.poll();
        QCOMPARE(f.workspace.forceTerminated.size(), 2);
        QCOMPARE(f.reported.size(), 1);
    }

    void destroyedMonitorLeavesNoTimersOrHandlers() {
        Fixture f;
        f.start();
        f.monitor.reset();
        f.history.reset();
        QCOMPARE(f.scheduler.pendingCount(), std::size_t(0));
        f.workspace.bringToFront(f.workspace.launch(editorID));
        f.scheduler.advance(2.0);
        QVERIFY(f.workspace.forceTerminated.isEmpty());
    }
};

QTEST_GUILESS_MAIN(AppMonitorServiceTest)
#include "AppMonitorServiceTest.moc"
