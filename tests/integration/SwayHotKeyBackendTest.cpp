#include "sway/SwayHotKeyBackend.h"
#include "fakes/CapturingLogger.h"
#include "support/SwaySession.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr quint32 panicKeyCode = 32;       // U
constexpr quint32 panicModifiers = 0x1B00; // command, option, control, shift
const QString panicCombo = QStringLiteral("Ctrl+Alt+Mod4+Shift+u");

} // namespace

// Global hot keys bound through sway's IPC, pressed with a virtual keyboard.
class SwayHotKeyBackendTest : public QObject {
    Q_OBJECT

    SwaySession m_sway;
    CapturingLogger m_logger;

    // wtype may drop its first key, and the binding is made in the background: press until the
    // press is heard.
    bool pressPanicKeyUntil(const std::function<bool()>& heard) {
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            m_sway.type({QStringLiteral("-M"), QStringLiteral("ctrl"), QStringLiteral("-M"),
                         QStringLiteral("alt"), QStringLiteral("-M"), QStringLiteral("logo"),
                         QStringLiteral("-M"), QStringLiteral("shift"), QStringLiteral("u"),
                         QStringLiteral("-m"), QStringLiteral("shift"), QStringLiteral("-m"),
                         QStringLiteral("logo"), QStringLiteral("-m"), QStringLiteral("alt"),
                         QStringLiteral("-m"), QStringLiteral("ctrl")});
            if (QTest::qWaitFor(heard, 1000))
                return true;
        }
        return false;
    }

    bool pressPanicKeyUntilHeard(const QList<HotKeyBackend::Event>& events) {
        const qsizetype before = events.size();
        return pressPanicKeyUntil([&] { return events.size() > before; });
    }

private slots:
    void initTestCase() {
        if (!m_sway.start())
            QSKIP(qPrintable(m_sway.error()));
    }

    void pressReachesTheHandlerAndSurvivesAReload() {
        auto ipc = SwayIpc::connectTo(m_sway.ipcSocket());
        QVERIFY(ipc);
        QList<HotKeyBackend::Event> events;
        {
            SwayHotKeyBackend backend(m_logger, std::move(ipc));
            backend.setEventHandler([&](const HotKeyBackend::Event& event) {
                events.append(event);
                return true;
            });
            const HotKeyBackend::HotKeyID panicID{0x564C4D52, 1};
            QVERIFY(backend.registerHotKey(panicKeyCode, panicModifiers, panicID));
            QVERIFY(!backend.registerHotKey(panicKeyCode, panicModifiers, {1, 2}));
            QVERIFY(pressPanicKeyUntilHeard(events));
            QCOMPARE(events.first().hotKeyID, panicID);
            QCOMPARE(events.first().kind, HotKeyBackend::EventKind::pressed);

            QVERIFY(!m_sway.swaymsg({QStringLiteral("reload")}).isEmpty());
            QVERIFY(pressPanicKeyUntilHeard(events));
        }
        // Gone with the backend: there is nothing left for sway to unbind.
        QVERIFY(m_sway.swaymsg({QStringLiteral("unbindsym"), panicCombo}).isEmpty());
        QVERIFY2(m_logger.lines.isEmpty(), qPrintable(m_logger.lines.join(u'\n')));
    }

    // The program itself picks sway's IPC in a sway session.
    void programOnSwayTakesThePanicKey() {
        QTemporaryDir home;
        QProcessEnvironment environment = m_sway.environment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("c")));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(VELMORA_BINARY), QStringList());
        QVERIFY(program.waitForStarted(10000));
        QString log;
        const QString panicLine =
            QStringLiteral("[Velmora Safety] Panic key activated — dismissing all overlays");
        const bool heard = pressPanicKeyUntil([&] {
            log += QString::fromUtf8(program.readAll());
            return log.contains(panicLine);
        });
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
        QVERIFY2(heard, qPrintable(log));
    }
};

QTEST_GUILESS_MAIN(SwayHotKeyBackendTest)
#include "SwayHotKeyBackendTest.moc"
