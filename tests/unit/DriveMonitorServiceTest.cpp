#include "services/DriveMonitorService.h"
#include "support/DriveMonitorRig.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

class DriveMonitorServiceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DriveMonitorRig<>> rig;
    // What happened, in order: "unmounted:<name>", "mounted:<name>", "post:<title>".
    QStringList events;
    qsizetype postsSeen = 0;

    void recordPosts() {
        for (; postsSeen < rig->notifier.posts.size(); ++postsSeen)
            events.append(QStringLiteral("post:") + rig->notifier.posts.at(postsSeen).title);
    }

    void setMode(DriveDisconnectNotificationMode mode, std::int64_t interval = 5) {
        AppSettings settings = rig->defaults.appSettings();
        settings.driveDisconnectNotification = mode;
        settings.driveCheckIntervalSeconds = interval;
        rig->defaults.setAppSettings(settings);
    }

    void start() {
        rig->driveMonitor.onRequiredDriveUnmounted = [this](const ProtectedDrive& drive) {
            recordPosts();
            events.append(QStringLiteral("unmounted:") + drive.name);
        };
        rig->driveMonitor.onRequiredDriveMounted = [this](const ProtectedDrive& drive) {
            recordPosts();
            events.append(QStringLiteral("mounted:") + drive.name);
        };
        rig->driveMonitor.startPolling();
        rig->logger.lines.clear();
    }

    void advance(double seconds) {
        rig->scheduler.advance(seconds);
        recordPosts();
    }

private slots:
    void init() {
        events.clear();
        postsSeen = 0;
        rig = std::make_unique<DriveMonitorRig<>>();
        rig->drives.addDrive(QStringLiteral("Key"), QStringLiteral("/media/me/Key"),
                             QStringLiteral("UUID-KEY"));
    }

    void absentDriveIsReportedOnceAtTheFirstPoll() {
        start();
        advance(4.9);
        QVERIFY(events.isEmpty());
        advance(0.1);
        QCOMPARE(events,
                 QStringList({QStringLiteral("post:硬盘已断开"), QStringLiteral("unmounted:Key")}));
        QCOMPARE(rig->logger.lines,
                 QStringList{QStringLiteral("[Velmora] Required drive disconnected: Key")});
        const FakeNotifier::Post& post = rig->notifier.posts.first();
        QCOMPARE(post.body, QStringLiteral("移动硬盘「Key」已断开连接"));
        QVERIFY(post.withSound);
        QVERIFY(QRegularExpression(QStringLiteral("^drive-disconnect-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-"
                                                  "F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"))
                    .match(post.identifier)
                    .hasMatch());

        advance(50);
        QCOMPARE(events.size(), 2);
        QCOMPARE(rig->logger.lines.size(), 1);
    }

    void repeatedModeRepeatsTheNotificationButNotTheCallback() {
        setMode(DriveDisconnectNotificationMode::repeated);
        start();
        advance(15);
        QCOMPARE(
            events,
            QStringList({QStringLiteral("post:硬盘已断开"), QStringLiteral("unmounted:Key"),
                         QStringLiteral("post:硬盘已断开"), QStringLiteral("post:硬盘已断开")}));
        QCOMPARE(rig->logger.count(
                     QStringLiteral("[Velmora] Repeated notification for disconnected drive: Key")),
                 2);
        QVERIFY(rig->notifier.posts.at(1).identifier != rig->notifier.posts.at(2).identifier);
    }

    void reconnectRunsTheCallbackBeforeTheNotification() {
        start();
        advance(5);
        rig->volumes.mount(QStringLiteral("Renamed"), QStringLiteral("UUID-KEY"));
        events.clear();
        advance(5);
        QCOMPARE(events,
                 QStringList({QStringLiteral("mounted:Key"), QStringLiteral("post:硬盘已连接")}));
        QCOMPARE(rig->notifier.posts.last().body, QStringLiteral("移动硬盘「Key」已重新连接"));
        QVERIFY(
            rig->notifier.posts.last().identifier.startsWith(QStringLiteral("drive-reconnect-")));
        QCOMPARE(rig->logger.lines.last(),
                 QStringLiteral("[Velmora] Required drive reconnected: Key"));

        // Gone again: reported afresh.
        rig->volumes.unmountAll();
        events.clear();
        advance(5);
        QCOMPARE(events,
                 QStringList({QStringLiteral("post:硬盘已断开"), QStringLiteral("unmounted:Key")}));
    }

    void onlyEnabledDrivesArePolledInListOrder() {
        rig->drives.addDrive(QStringLiteral("Disabled"), QStringLiteral("/media/me/Disabled"),
                             std::nullopt);
        rig->drives.toggleDrive(rig->drives.drives().last());
        rig->drives.addDrive(QStringLiteral("Second"), QStringLiteral("/media/me/Second"),
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
        rig->drives.toggleDrive(rig->drives.drives().first());
        advance(5);
        rig->drives.toggleDrive(rig->drives.drives().first());
        events.clear();
        advance(10);
        QVERIFY(events.isEmpty());
        // Re-enabled after it came back: reconnect at the next poll.
        rig->drives.toggleDrive(rig->drives.drives().first());
        rig->volumes.mount(QStringLiteral("Key"), QStringLiteral("UUID-KEY"));
        advance(5);
        rig->drives.toggleDrive(rig->drives.drives().first());
        advance(5);
        QCOMPARE(events,
                 QStringList({QStringLiteral("mounted:Key"), QStringLiteral("post:硬盘已连接")}));
    }

    void intervalChangesOnlyThroughRestart() {
        start();
        setMode(DriveDisconnectNotificationMode::once, 2);
        advance(4.9);
        QVERIFY(events.isEmpty());
        rig->driveMonitor.restartPolling();
        QCOMPARE(rig->logger.lines.last(),
                 QStringLiteral("[Velmora] Drive polling started (every 2 seconds)"));
        advance(1.9);
        QVERIFY(events.isEmpty());
        advance(0.1);
        QCOMPARE(events.size(), 2);
        QCOMPARE(rig->scheduler.pendingCount(), std::size_t(1)); // the old timer is gone
    }

    void everyPollTellsObserversFirst() {
        start();
        QSignalSpy willChange(&rig->driveMonitor, &DriveMonitorService::willChange);
        advance(10);
        QCOMPARE(willChange.count(), 2);
    }

    // A stored interval of zero would poll continuously and burn a processor core.
    void intervalBelowOneSecondIsRaisedToOne() {
        setMode(DriveDisconnectNotificationMode::once, 0);
        start();
        rig->driveMonitor.restartPolling();
        QCOMPARE(rig->logger.lines.last(),
                 QStringLiteral("[Velmora] Drive polling started (every 1 seconds)"));
        const int before = rig->volumes.queryCount;
        advance(3);
        QCOMPARE(rig->volumes.queryCount - before, 3);
    }
};

QTEST_GUILESS_MAIN(DriveMonitorServiceTest)
#include "DriveMonitorServiceTest.moc"
