#include "services/UpdateService.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeUpdateWindow.h"
#include "fakes/FakeUpdater.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "services/LanguageManager.h"
#include "services/VersionNumber.h"

#include <QtTest>

namespace {

using State = UpdateViewModel::State;
const QDateTime startTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);

UpdateFeed feedWith(const QString& version) {
    return UpdateFeed{
        {AppcastItem{QStringLiteral("1.0"), QStringLiteral("1.0"), {}, {}},
         AppcastItem{version, version + QStringLiteral(" (build)"), QStringLiteral("Faster."),
                     QUrl(QStringLiteral("https://example.org/velmora"))}},
        std::nullopt};
}

// The service on fakes; the clock follows the fake scheduler.
struct Updates {
    FakeScheduler scheduler;
    MemoryStore store;
    CapturingLogger logger;
    Defaults defaults{store, logger};
    LanguageManager language{defaults, scheduler, logger};
    FakeUpdater updater;
    FakeUpdateWindow window;
    FakeNotifier notifier;
    std::unique_ptr<UpdateService> service;

    Updates() {
        service = std::make_unique<UpdateService>(UpdateService::Dependencies{
            updater, window, notifier, scheduler, store, language, logger, QStringLiteral("1.2.0"),
            [this] { return startTime.addMSecs(qint64(scheduler.now() * 1000)); },
            [this](const QUrl& url) { window.openLink(url); }});
    }
    State state() { return service->viewModel().state(); }
};

} // namespace

class UpdateServiceTest : public QObject {
    Q_OBJECT

private slots:
    void versionsCompareAsNumbersWithPreReleasesBelow() {
        QVERIFY(VersionNumber::compare(QStringLiteral("1.10"), QStringLiteral("1.9")) > 0);
        QVERIFY(VersionNumber::compare(QStringLiteral("1.2"), QStringLiteral("1.2.0")) == 0);
        QVERIFY(VersionNumber::compare(QStringLiteral("v2.0"), QStringLiteral("2.0+42")) == 0);
        QVERIFY(VersionNumber::compare(QStringLiteral("2.0-beta2"), QStringLiteral("2.0")) < 0);
        QVERIFY(VersionNumber::compare(QStringLiteral("2.0rc1"), QStringLiteral("1.9.9")) > 0);
        QVERIFY(VersionNumber::compare(QStringLiteral("2.0-beta10"), QStringLiteral("2.0-beta9")) >
                0);
        QVERIFY(VersionNumber::compare(QStringLiteral("2.0-alpha"), QStringLiteral("2.0-beta")) <
                0);
        QVERIFY(VersionNumber::compare(QStringLiteral("99999999999999999999"),
                                       QStringLiteral("1")) > 0);
    }

    void scheduledChecksRunAMinuteAfterStartThenDailyAndAreRemembered() {
        Updates updates;
        updates.service->start();
        updates.scheduler.advance(59);
        QVERIFY(updates.updater.pending.isEmpty());
        updates.scheduler.advance(1);
        QCOMPARE(updates.updater.pending.size(), 1);
        QVERIFY(updates.updater.answer(feedWith(QStringLiteral("1.2.0"))));
        QCOMPARE(updates.window.shows, 0);
        QVERIFY(updates.notifier.posts.isEmpty());
        QCOMPARE(updates.store.bytes(UpdateService::lastCheckKey)->left(19),
                 QByteArray("2026-03-01T12:01:00"));
        updates.scheduler.advance(UpdateService::checkInterval - 1);
        QVERIFY(updates.updater.pending.isEmpty());
        updates.scheduler.advance(1);
        QCOMPARE(updates.updater.pending.size(), 1);

        // Started again an hour after the last check: the next one is due 23 hours later.
        Updates later;
        later.store.setBytes(UpdateService::lastCheckKey,
                             startTime.addSecs(-3600).toString(Qt::ISODateWithMs).toUtf8());
        later.service->start();
        later.scheduler.advance(23 * 3600 - 1);
        QVERIFY(later.updater.pending.isEmpty());
        later.scheduler.advance(1);
        QCOMPARE(later.updater.pending.size(), 1);

        // A garbled record counts as never checked.
        Updates garbled;
        garbled.store.setBytes(UpdateService::lastCheckKey, "yesterday");
        garbled.service->start();
        garbled.scheduler.advance(60);
        QCOMPARE(garbled.updater.pending.size(), 1);
    }

    void scheduledFindNotifiesInTheBackgroundAndShowsTheWindowInFront() {
        Updates updates;
        updates.service->start();
        updates.scheduler.advance(60);
        updates.updater.answer(feedWith(QStringLiteral("2.0")));
        QCOMPARE(updates.window.shows, 0);
        QCOMPARE(updates.notifier.posts.size(), 1);
        const FakeNotifier::Post& post = updates.notifier.posts.first();
        QCOMPARE(post.identifier, QStringLiteral("velmora-update"));
        QCOMPARE(post.title, QStringLiteral("Velmora Update Available"));
        QCOMPARE(post.body, QStringLiteral("Version 2.0 (build) is ready to install."));
        QVERIFY(!post.withSound);

        updates.window.programActive = true;
        updates.scheduler.advance(UpdateService::checkInterval);
        updates.updater.answer(feedWith(QStringLiteral("2.0")));
        QCOMPARE(updates.notifier.posts.size(), 1);
        QCOMPARE(updates.window.shows, 1);
        QCOMPARE(updates.state(), State::available);
        QCOMPARE(updates.service->viewModel().version(), QStringLiteral("2.0 (build)"));
        updates.service->viewModel().download();
        QCOMPARE(updates.window.openedLinks,
                 QList<QUrl>{QUrl(QStringLiteral("https://example.org/velmora"))});

        // A failing scheduled check is only logged.
        updates.window.programActive = false;
        updates.scheduler.advance(UpdateService::checkInterval);
        updates.updater.answer(UpdateFeed{{}, QStringLiteral("Host not found")});
        QCOMPARE(updates.window.shows, 1);
        QCOMPARE(updates.logger.lines.last(),
                 QStringLiteral("[Velmora] Update check failed: Host not found"));
    }

    void manualCheckShowsEachOutcome() {
        Updates updates;
        updates.service->checkForUpdates();
        QCOMPARE(updates.state(), State::checking);
        QCOMPARE(updates.window.shows, 1);
        updates.updater.answer(feedWith(QStringLiteral("1.2")));
        QCOMPARE(updates.state(), State::upToDate);
        updates.service->checkForUpdates();
        updates.updater.answer(feedWith(QStringLiteral("1.3.0-beta1")));
        QCOMPARE(updates.state(), State::available);
        updates.service->checkForUpdates();
        updates.updater.answer(UpdateFeed{{}, std::nullopt});
        QCOMPARE(updates.state(), State::failed);
        QCOMPARE(updates.service->viewModel().errorText(),
                 QStringLiteral("The update feed lists no release"));
        QVERIFY(updates.notifier.posts.isEmpty());

        // No feed in this build: no automatic check, and the window says why.
        updates.updater.feedConfigured = false;
        updates.service->start();
        updates.scheduler.advance(2 * UpdateService::checkInterval);
        QVERIFY(updates.updater.pending.isEmpty());
        updates.service->checkForUpdates();
        QCOMPARE(updates.state(), State::packageManager);
        QVERIFY(updates.updater.pending.isEmpty());
    }
};

QTEST_GUILESS_MAIN(UpdateServiceTest)
#include "UpdateServiceTest.moc"
