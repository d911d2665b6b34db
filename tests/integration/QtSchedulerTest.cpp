#include "qt/QtScheduler.h"

#include <QtTest>

class QtSchedulerTest : public QObject {
    Q_OBJECT

private slots:
    void timersFireOnTheEventLoopAndCancelCleanly() {
        QtScheduler scheduler;
        int ticks = 0;
        int onceRuns = 0;
        bool cancelledRan = false;
        Scheduler::Handle repeating = 0;
        repeating = scheduler.repeating(0.01, [&] {
            if (++ticks == 3)
                scheduler.cancel(repeating); // cancelling itself from inside its own task
        });
        const Scheduler::Handle once = scheduler.once(0.01, [&] { ++onceRuns; });
        const Scheduler::Handle cancelled = scheduler.once(0.01, [&] { cancelledRan = true; });
        scheduler.cancel(cancelled);
        bool later = false;
        scheduler.runLater([&] { later = true; });

        QTRY_COMPARE_WITH_TIMEOUT(ticks, 3, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(later, 5000);
        QCOMPARE(onceRuns, 1);
        scheduler.cancel(once); // already fired: harmless
        QVERIFY(!cancelledRan);
        // Handles are never reused.
        QVERIFY(scheduler.once(1, [] {}) > cancelled);
        QCOMPARE(ticks, 3);
    }
};

QTEST_GUILESS_MAIN(QtSchedulerTest)
#include "QtSchedulerTest.moc"
