#include "services/DriveMonitorService.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

class DriveMonitorServiceTest : public QObject {
    Q_OBJECT

    MemoryStore store;
    CapturingLogger logger;
    FakeVolumeSource volumes;
    FakeScheduler scheduler;
    FakeNotifier notifier;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<ProtectedDrivesManager> drives;
    std::unique_ptr<DriveMonitorService> monitor;
    // What happened, in order: "unmounted:<name>", "mounted:<name>", "post:<title>".
    QStringList events;
    qsizetype postsSeen = 0;

    void recordPosts() {
        for (; postsSeen < notifier.posts.size(); ++postsSeen)
            events.append(QStringLiteral("post:") + notifier.posts.at(postsSeen).title);
    }

    void setMode(DriveDisconnectNotificationMode mode, std::int64_t interval = 5) {
        AppSettings settings = defaults->appSettings();
        settings.driveDisconnectNotification = mode;
        settings.driveCheckIntervalSeconds = interval;
        defaults->setAppSettings(settings);
    }

    void start() {
        monitor = std::make_unique<DriveMonitorService>(DriveMonitorService::Dependencies{
            scheduler, notifier, volumes, *drives, *defaults, logger});
        monitor->onRequiredDriveUnmounted = [this](const ProtectedDrive& drive) {
            recordPosts();
            events.append(QStringLiteral("unmounted:") + drive.name);
        };
        monitor->onRequiredDriveMounted = [this](const ProtectedDrive& drive) {
            recordPosts();
            events.append(QStringLiteral("mounted:") + drive.name);
        };
        monitor->startPolling();
        logger.lines.clear();
    }

    void advance(double seconds) {
        scheduler.advance(seconds);
        recordPosts();
    }

private slots:
    void init() {
        store = MemoryStore();
        volumes = FakeVolumeSource();
        scheduler = FakeScheduler();
        notifier = FakeNotifier();
        events.clear();
        postsSeen = 0;
        logger.lines.clear();
        defaults = std::make_unique<Defaults>(store, logger);
        drives = std::make_unique<ProtectedDrivesManager>(*defaults, logger);
        drives->addDrive(QStringLiteral("Key"), QStringLiteral("/media/me/Key"),
                         QStringLiteral("UUID-KEY"));
    }

    void absentDriveIsReportedOnceAtTheFirstPoll() {
        start();
        advance(4.9);
        QVERIFY(events.isEmpty());
        advance(0.1);
        QCOMPARE(events,
                 QStringList({QStringLiteral("post:硬盘已断开"), QStringLiteral("unmounted:Key")}));
        QCOMPARE(logger.lines,
                 QStringList{QStringLiteral("[Velmora] Required drive disconnected: Key")});
        const FakeNotifier::Post& post = notifier.posts.first();
        QCOMPARE(post.body, QStringLiteral("移动硬盘「Key」已断开连接"));
        QVERIFY(post.withSound);
        QVERIFY(QRegularExpression(QStringLiteral("^drive-disconnect-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-"
                                                  "F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"))
                    .match(post.identifier)
                    .hasMatch());

        advance(50);
        QCOMPARE(events.size(), 2);
        QCOMPARE(logger.lines.size(), 1);
    }

    void repeatedModeRepeatsTheNotificationButNotTheCallback() {
        setMode(DriveDisconnectNotificationMode::repeated);
        start();
        advance(15);
        QCOMPARE(
            events,
            QStringList({QStringLiteral("post:硬盘已断开"), QStringLiteral("unmounted:Key"),
                         QStringLiteral("post:硬盘已断开"), QStringLiteral("post:硬盘已断开")}));
        QCOMPARE(logger.count(
                     QStringLiteral("[Velmora] Repeated notification for disconnected drive: Key")),
                 2);
        QVERIFY(notifier.posts.at(1).identifier != notifier.posts.at(2).identifier);
    }

    void reconnectRunsTheCallbackBeforeTheNotification() {
        start();
        advance(5);
        volumes.mount(QStringLiteral("Renamed"), QStringLiteral("UUID-KEY"));
        events.clear();
        advance(5);
        QCOMPARE(events,
                 QStringList({QStringLiteral("mounted:Key"), QStringLiteral("post:硬盘已连接")}));
        QCOMPARE(notifier.posts.last().body, QStringLiteral("移动硬盘「Key」已重新连接"));
        QVERIFY(notifier.posts.last().identifier.startsWith(QStringLiteral("drive-reconnect-")));
        QCOMPARE(logger.lines.last(), QStringLiteral("[Velmora] Required drive reconnected: Key"));

        // Gone again: reported afresh.
        volumes.unmountAll();
        events.clear();
        advance(5);
        QCOMPARE(events,
                 QStringList({QStringLiteral("post:硬盘已断开"), QStringLiteral("unmounted:Key")}));
    }

    void onlyEnabledDrivesArePolledInListOrder() {
        drives->addDrive(QStringLiteral("Disabled"), QStringLiteral("/media/me/Disabled"),
                         std::nullopt);
        drives->toggleDrive(drives->drives().last());
        drives->addDrive(QStringLiteral("Second"), QStringLiteral("/media/me/Second"),
                         std::nullopt);
        start();
        advance(5);
        QCOMPARE(
            events,
            QStringList({QStringLiteral("post:硬盘已断开"), QStringLiteral("unmounted:Key"),
                         QStringLiteral("post:硬盘已断开"), QStringLiteral("unmounted:Second")}));
    }

    void driveReenabledWhileAbsentIsNotReportedAgain() {
        start();
        advance(5);
        drives->toggleDrive(drives->drives().first());
        advance(5);
        drives->toggleDrive(drives->drives().first());
        events.clear();
        advance(10);
        QVERIFY(events.isEmpty());
        // Re-enabled after it came back: reconnect at the next poll.
        drives->toggleDrive(drives->drives().first());
        volumes.mount(QStringLiteral("Key"), QStringLiteral("UUID-KEY"));
        advance(5);
        drives->toggleDrive(drives->drives().first());
        advance(5);
        QCOMPARE(events,
                 QStringList({QStringLiteral("mounted:Key"), QStringLiteral("post:硬盘已连接")}));
    }

    void intervalChangesOnlyThroughRestart() {
        start();
        setMode(DriveDisconnectNotificationMode::once, 2);
        advance(4.9);
        QVERIFY(events.isEmpty());
        monitor->restartPolling();
        QCOMPARE(logger.lines.last(),
                 QStringLiteral("[Velmora] Drive polling started (every 2 seconds)"));
        advance(1.9);
        QVERIFY(events.isEmpty());
        advance(0.1);
        QCOMPARE(events.size(), 2);
        QCOMPARE(scheduler.pendingCount(), std::size_t(1)); // the old timer is gone
    }

    void everyPollTellsObserversFirst() {
        start();
        QSignalSpy willChange(monitor.get(), &DriveMonitorService::willChange);
        advance(10);
        QCOMPARE(willChange.count(), 2);
    }

    // A stored interval of zero would poll continuously and burn a processor core.
    void intervalBelowOneSecondIsRaisedToOne() {
        setMode(DriveDisconnectNotificationMode::once, 0);
        start();
        monitor->restartPolling();
        QCOMPARE(logger.lines.last(),
                 QStringLiteral("[Velmora] Drive polling started (every 1 seconds)"));
        const int before = volumes.queryCount;
        advance(3);
        QCOMPARE(volumes.queryCount - before, 3);
    }
};

QTEST_GUILESS_MAIN(DriveMonitorServiceTest)
#include "DriveMonitorServiceTest.moc"
