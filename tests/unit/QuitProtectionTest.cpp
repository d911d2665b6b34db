#include "services/QuitProtection.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeAuthBackend.h"
#include "fakes/FakeScheduler.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "services/SystemAuthService.h"

#include <QtTest>

namespace {

using Result = AuthBackend::Result;

// A fresh program with quit protection switched on or off.
struct Program {
    explicit Program(bool requirePassword) {
        AppSettings settings;
        settings.requirePasswordToQuit = requirePassword;
        defaults.setAppSettings(settings);
        quit.replyToApplicationShouldTerminate = [this](bool granted) { replies.append(granted); };
        quit.activateApplication = [this] { ++activations; };
        quit.explainRefusal = [this] { ++explanations; };
    }

    MemoryStore store;
    CapturingLogger logger;
    Defaults defaults{store, logger};
    FakeScheduler scheduler;
    FakeAuthBackend backend;
    SystemAuthService auth{backend, scheduler, logger};
    QuitProtection quit{defaults, auth, logger};
    QList<bool> replies;
    int activations = 0;
    int explanations = 0;
};

} // namespace

class QuitProtectionTest : public QObject {
    Q_OBJECT

private slots:
    // Where nobody can be asked, quitting is refused and the owner told why, every time.
    void quitsAtOnceWhenOffOrBypassedAndNeverWhenNobodyCanBeAsked() {
        Program off(false);
        QCOMPARE(off.quit.applicationShouldTerminate(), TerminateReply::terminateNow);

        Program noAgent(true);
        noAgent.backend.unavailableBecause = QStringLiteral("no polkit");
        QCOMPARE(noAgent.quit.applicationShouldTerminate(), TerminateReply::terminateCancel);

        Program poweringOff(true);
        poweringOff.quit.setBypassQuitPassword();
        QCOMPARE(poweringOff.quit.applicationShouldTerminate(), TerminateReply::terminateNow);

        for (Program* program : {&off, &noAgent, &poweringOff})
            QVERIFY(program->backend.reasons.isEmpty());
        QVERIFY(off.logger.lines.isEmpty() && poweringOff.logger.lines.isEmpty());
        // Why the password cannot be asked is logged once, the refusal every time.
        QCOMPARE(noAgent.quit.applicationShouldTerminate(), TerminateReply::terminateCancel);
        const QString refused =
            QStringLiteral("[Velmora] Quit refused: nobody can be asked for authentication");
        QCOMPARE(
            noAgent.logger.lines,
            (QStringList{QStringLiteral("[Velmora] System authentication unavailable: no polkit"),
                         refused, refused}));
        QCOMPARE(noAgent.explanations, 2);
        QCOMPARE(off.explanations + poweringOff.explanations, 0);
    }

    void oneDialogAtATimeAndCancelKeepsRunning() {
        Program program(true);
        QCOMPARE(program.quit.applicationShouldTerminate(), TerminateReply::terminateLater);
        QVERIFY(program.quit.isQuitPromptShowing());
        QCOMPARE(program.activations, 1);
        QCOMPARE(program.backend.reasons, QStringList{QStringLiteral("Quit Velmora")});

        QCOMPARE(program.quit.applicationShouldTerminate(), TerminateReply::terminateCancel);
        QCOMPARE(program.backend.reasons.size(), 1);

        program.backend.answer(Result::refused, QStringLiteral("not authorized"));
        // The answer always arrives on a later turn of the main loop.
        QVERIFY(program.replies.isEmpty());
        program.scheduler.advance(0);
        QCOMPARE(program.replies, QList<bool>{false});
        QVERIFY(!program.quit.isQuitPromptShowing());
        QCOMPARE(
            program.logger.lines,
            QStringList{QStringLiteral("[Velmora] Quit authentication failed: not authorized")});

        // Asked again next time; success quits.
        QCOMPARE(program.quit.applicationShouldTerminate(), TerminateReply::terminateLater);
        program.backend.answer(Result::authenticated);
        program.scheduler.advance(0);
        QCOMPARE(program.replies, (QList<bool>{false, true}));
    }

    void keepsRunningWhenNobodyCouldBeAskedAfterAll() {
        Program program(true);
        QCOMPARE(program.quit.applicationShouldTerminate(), TerminateReply::terminateLater);
        program.backend.answer(Result::unavailable, QStringLiteral("no authentication agent"));
        program.scheduler.advance(0);
        QCOMPARE(program.replies, QList<bool>{false});
        QCOMPARE(program.explanations, 1);
        QCOMPARE(
            program.logger.lines,
            (QStringList{
                QStringLiteral(
                    "[Velmora] System authentication unavailable: no authentication agent"),
                QStringLiteral("[Velmora] Quit refused: nobody can be asked for authentication")}));
    }

    void unavailableWithoutAReasonSaysSo() {
        Program program(true);
        program.backend.unavailableBecause = QString();
        QList<Result> results;
        program.auth.authenticate(QStringLiteral("Quit Velmora"),
                                  [&](Result result) { results.append(result); });
        QVERIFY(results.isEmpty());
        program.scheduler.advance(0);
        QCOMPARE(results, QList<Result>{Result::unavailable});
        QCOMPARE(program.logger.lines,
                 QStringList{QStringLiteral(
                     "[Velmora] System authentication unavailable: unknown reason")});
        QVERIFY(!program.auth.isAvailable());
    }
};

QTEST_GUILESS_MAIN(QuitProtectionTest)
#include "QuitProtectionTest.moc"
