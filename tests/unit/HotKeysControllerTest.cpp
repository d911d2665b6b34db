#include "hotkey/HotKeysController.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeHotKeyBackend.h"
#include "hotkey/HotKey.h"
#include "services/SafetyManager.h"

#include <QtTest>
#include <limits>

namespace {

using Kind = HotKeyBackend::EventKind;

HotKeyBackend::HotKeyID ourID(quint32 id) {
    return {HotKeysController::eventHotKeySignature, id};
}

} // namespace

class HotKeysControllerTest : public QObject {
    Q_OBJECT

private slots:
    void registersUnderTheSignatureAndDispatchesPressesAndReleases() {
        FakeHotKeyBackend backend;
        CapturingLogger logger;
        HotKeysController controller(backend, logger);
        int downs = 0;
        int ups = 0;
        HotKey hotKey(
            controller, Key::k, Qt::ControlModifier, [&] { ++downs; }, [&] { ++ups; });

        QCOMPARE(HotKeysController::eventHotKeySignature, 0x5353486Bu);
        QCOMPARE(backend.registrations.size(), std::size_t(1));
        const auto& registration = backend.registrations.begin()->second;
        QCOMPARE(registration.keyCode, 40u);
        QCOMPARE(registration.modifiers, 0x100u);
        QCOMPARE(registration.hotKeyID, ourID(1));

        QVERIFY(backend.press(40, 0x100));
        QVERIFY(backend.release(40, 0x100));
        QCOMPARE(downs, 1);
        QCOMPARE(ups, 1);
        // Another registrant's signature, or an identifier nobody holds.
        QVERIFY(!backend.deliver({0x41424344, 1}, Kind::pressed));
        QVERIFY(!backend.deliver(ourID(99), Kind::pressed));
        QCOMPARE(downs, 1);

        HotKey second(controller, Key::j, Qt::ControlModifier);
        QCOMPARE(backend.handlerInstallCount, 1);
        QCOMPARE(controller.identifier(second), std::optional<quint32>(2));
    }

    void pauseThenUnpauseTakesANewHigherIdentifier() {
        FakeHotKeyBackend backend;
        CapturingLogger logger;
        HotKeysController controller(backend, logger);
        int downs = 0;
        HotKey hotKey(controller, KeyCombo(Key::u, Qt::ControlModifier), [&] { ++downs; });
        QCOMPARE(controller.identifier(hotKey), std::optional<quint32>(1));

        hotKey.setPaused(true);
        hotKey.setPaused(true);
        QCOMPARE(controller.identifier(hotKey), std::nullopt);
        QVERIFY(backend.registrations.empty());
        QCOMPARE(backend.unregistered.size(), 1);
        // An event that was already on its way finds nothing.
        QVERIFY(!backend.deliver(ourID(1), Kind::pressed));

        hotKey.setPaused(false);
        hotKey.setPaused(false);
        QCOMPARE(controller.identifier(hotKey), std::optional<quint32>(2));
        QCOMPARE(backend.registrations.size(), std::size_t(1));
        QVERIFY(!backend.deliver(ourID(1), Kind::pressed));
        QVERIFY(backend.deliver(ourID(2), Kind::pressed));
        QCOMPARE(downs, 1);
    }

    void releasedHotKeyIsGoneFromSystemAndRegistry() {
        FakeHotKeyBackend backend;
        CapturingLogger logger;
        HotKeysController controller(backend, logger);
        int downs = 0;
        auto hotKey = std::make_unique<HotKey>(controller, 32u, 0x1B00u, [&] { ++downs; });
        hotKey.reset();

        QVERIFY(backend.registrations.empty());
        QVERIFY(!controller.isRegisteredWithSystem(1));
        QVERIFY(!backend.deliver(ourID(1), Kind::released));
        QCOMPARE(downs, 0);
    }

    void hotKeyMayReleaseItselfFromItsOwnCallback() {
        FakeHotKeyBackend backend;
        CapturingLogger logger;
        HotKeysController controller(backend, logger);
        std::unique_ptr<HotKey> hotKey;
        hotKey =
            std::make_unique<HotKey>(controller, Key::x, Qt::AltModifier, [&] { hotKey.reset(); });
        QVERIFY(backend.press(7, 0x800));
        QVERIFY(!hotKey);
        QVERIFY(backend.registrations.empty());
    }

    void keyUpOnlyHotKeyIgnoresThePress() {
        FakeHotKeyBackend backend;
        CapturingLogger logger;
        HotKeysController controller(backend, logger);
        int ups = 0;
        HotKey hotKey(controller, Key::space, Qt::MetaModifier, {}, [&] { ++ups; });
        QVERIFY(!backend.press(49, 0x1000));
        QVERIFY(backend.release(49, 0x1000));
        QCOMPARE(ups, 1);
    }

    void refusedRegistrationLeavesABoxThatNeverFires() {
        FakeHotKeyBackend backend;
        CapturingLogger logger;
        HotKeysController controller(backend, logger);
        int downs = 0;
        auto first = std::make_unique<HotKey>(controller, Key::p, Qt::ControlModifier);
        // Same combination again: the system decides, and here it refuses.
        auto second =
            std::make_unique<HotKey>(controller, Key::p, Qt::ControlModifier, [&] { ++downs; });
        QCOMPARE(controller.identifier(*second), std::optional<quint32>(2));
        QVERIFY(!controller.isRegisteredWithSystem(2));
        QVERIFY(!backend.press(35, 0x100));
        QCOMPARE(downs, 0);

        second.reset();
        QCOMPARE(backend.unregistered.size(), 0);
        QVERIFY(logger.lines.isEmpty());
    }

    void identifiersNeverWrapAround() {
        FakeHotKeyBackend backend;
        CapturingLogger logger;
        HotKeysController controller(backend, logger, std::numeric_limits<quint32>::max() - 1);
        HotKey last(controller, Key::a, Qt::ControlModifier);
        QCOMPARE(controller.identifier(last), std::optional(std::numeric_limits<quint32>::max()));

        HotKey refused(controller, Key::b, Qt::ControlModifier);
        QCOMPARE(controller.identifier(refused), std::nullopt);
        QCOMPARE(controller.hotKeysCount(), std::numeric_limits<quint32>::max());
        QCOMPARE(backend.registrations.size(), std::size_t(1));
        QCOMPARE(logger.lines, QStringList{QStringLiteral(
                                   "[Velmora] Hot key not registered: no identifiers left")});
    }

    void panicKeyIsRegisteredAtCreationAndReportsPresses() {
        FakeHotKeyBackend backend;
        CapturingLogger logger;
        HotKeysController controller(backend, logger);
        SafetyManager safety(controller, logger);
        QCOMPARE(backend.registrations.size(), std::size_t(1));
        QCOMPARE(backend.registrations.begin()->second.keyCode, 32u);
        QCOMPARE(backend.registrations.begin()->second.modifiers, 0x1B00u);

        const QString line =
            QStringLiteral("[Velmora Safety] Panic key activated — dismissing all overlays");
        // Nobody listening yet: only the log line.
        QVERIFY(backend.press(32, 0x1B00));
        QCOMPARE(logger.lines, QStringList{line});

        int panics = 0;
        safety.onPanicKeyPressed = [&] { ++panics; };
        QVERIFY(backend.press(32, 0x1B00));
        QVERIFY(!backend.release(32, 0x1B00));
        // Three of the four modifiers are not the panic key.
        QVERIFY(!backend.press(32, 0x1A00));
        QCOMPARE(panics, 1);
        QCOMPARE(logger.count(line), 2);
    }
};

QTEST_GUILESS_MAIN(HotKeysControllerTest)
#include "HotKeysControllerTest.moc"
