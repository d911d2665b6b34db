#include "dbus/PortalHotKeyBackend.h"
#include "fakes/CapturingLogger.h"
#include "support/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QtTest>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
constexpr quint32 panicKeyCode = 32;       // U
constexpr quint32 panicModifiers = 0x1B00; // command, option, control, shift

QStringList mockPortal(const QString& parameters = QStringLiteral("{}")) {
    return {QStringLiteral("--session"), QStringLiteral("-t"),
            QStringLiteral(VELMORA_TEST_DATA "/global_shortcuts_portal.py"), QStringLiteral("-p"),
            parameters};
}

} // namespace

class PortalHotKeyBackendTest : public QObject {
    Q_OBJECT

    CapturingLogger logger;

    // What the portal would send when the user presses (Activated) or lets go (Deactivated).
    static void emitShortcut(PrivateBus& bus, const QString& signal, const QDBusObjectPath& session,
                             const QString& shortcutId) {
        QDBusMessage signalCall = QDBusMessage::createMethodCall(
            portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Mock"),
            QStringLiteral("EmitSignal"));
        signalCall << QStringLiteral("org.freedesktop.portal.GlobalShortcuts") << signal
                   << QStringLiteral("osta{sv}")
                   << QVariantList{QVariant::fromValue(QDBusVariant(QVariant::fromValue(session))),
                                   QVariant::fromValue(QDBusVariant(shortcutId)),
                                   QVariant::fromValue(QDBusVariant(qulonglong(1))),
                                   QVariant::fromValue(QDBusVariant(QVariantMap()))};
        QCOMPARE(bus.connection().call(signalCall).type(), QDBusMessage::ReplyMessage);
    }

private slots:
    void init() { logger.lines.clear(); }

    void boundShortcutDeliversPressAndRelease() {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        QVERIFY2(bus.startMock(mockPortal(), portalService), qPrintable(bus.lastError));
        PortalHotKeyBackend backend(logger, bus.connection());
        QList<HotKeyBackend::Event> events;
        backend.setEventHandler([&](const HotKeyBackend::Event& event) {
            events.append(event);
            return true;
        });

        const HotKeyBackend::HotKeyID panicID{0x564C4D52, 1};
        QVERIFY(backend.registerHotKey(panicKeyCode, panicModifiers, panicID));
        const auto bindCalls = [&] {
            return bus.mockCalls(portalService, portalPath, QStringLiteral("BindShortcuts"));
        };
        QTRY_COMPARE_WITH_TIMEOUT(bindCalls().size(), 1, 10000);
        const QVariantList bind = bindCalls().first();
        const auto session = bind.at(0).value<QDBusObjectPath>();
        const QDBusArgument list = bind.at(1).value<QDBusArgument>();
        QString shortcutId;
        QVariantMap properties;
        list.beginArray();
        list.beginStructure();
        list >> shortcutId >> properties;
        list.endStructure();
        QCOMPARE(properties.value(QStringLiteral("preferred_trigger")).toString(),
                 QStringLiteral("CTRL+ALT+SHIFT+LOGO+u"));

        emitShortcut(bus, QStringLiteral("Activated"), session, QStringLiteral("someone-else"));
        emitShortcut(bus, QStringLiteral("Activated"), session, shortcutId);
        emitShortcut(bus, QStringLiteral("Deactivated"), session, shortcutId);
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), 2, 10000);
        QCOMPARE(events.at(0).hotKeyID, panicID);
        QCOMPARE(events.at(0).kind, HotKeyBackend::EventKind::pressed);
        QCOMPARE(events.at(1).kind, HotKeyBackend::EventKind::released);
        QVERIFY2(logger.lines.isEmpty(), qPrintable(logger.lines.join(u'\n')));
    }

    void missingOrRefusingPortalIsOneLogLine() {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        {
            PortalHotKeyBackend backend(logger, bus.connection());
            QVERIFY(backend.registerHotKey(panicKeyCode, panicModifiers, {1, 1}));
            QTRY_COMPARE_WITH_TIMEOUT(logger.lines.size(), 1, 10000);
            QVERIFY(!backend.registerHotKey(panicKeyCode, panicModifiers, {1, 2}));
        }
        QVERIFY2(bus.startMock(mockPortal(QStringLiteral("{\"response\": 1}")), portalService),
                 qPrintable(bus.lastError));
        PortalHotKeyBackend backend(logger, bus.connection());
        QVERIFY(backend.registerHotKey(panicKeyCode, panicModifiers, {1, 1}));
        QTRY_COMPARE_WITH_TIMEOUT(logger.lines.size(), 2, 10000);
        for (const QString& line : logger.lines)
            QVERIFY2(line.startsWith(QStringLiteral("[Velmora] Global shortcuts through the "
                                                    "desktop portal are not available")) &&
                         line.contains(QStringLiteral("velmora --panic")),
                     qPrintable(line));
        QVERIFY(logger.lines.last().contains(QStringLiteral("refused")));
    }

    // KDE's success with no shortcuts bound is a failure said once; a Response sent before the
    // call's reply still completes the binding.
    void successWithoutOurShortcutIsNotBoundAndEarlyAnswersCount() {
        {
            PrivateBus bus;
            QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
            QVERIFY2(bus.startMock(mockPortal(QStringLiteral("{\"bind\": false}")), portalService),
                     qPrintable(bus.lastError));
            PortalHotKeyBackend backend(logger, bus.connection());
            QVERIFY(backend.registerHotKey(panicKeyCode, panicModifiers, {1, 1}));
            QTRY_COMPARE_WITH_TIMEOUT(logger.lines.size(), 1, 10000);
            QCOMPARE(
                logger.lines.first(),
                QStringLiteral("[Velmora] Global shortcuts through the desktop portal are not "
                               "available (the desktop bound none of the shortcuts); the panic "
                               "key can be had by binding `velmora --panic` in the desktop's "
                               "keyboard settings"));
            QVERIFY(!backend.registerHotKey(panicKeyCode, panicModifiers, {1, 2}));
        }
        logger.lines.clear();
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        QVERIFY2(bus.startMock(mockPortal(QStringLiteral("{\"early\": true}")), portalService),
                 qPrintable(bus.lastError));
        PortalHotKeyBackend backend(logger, bus.connection());
        QVERIFY(backend.registerHotKey(panicKeyCode, panicModifiers, {1, 1}));
        QTRY_COMPARE_WITH_TIMEOUT(
            bus.mockCalls(portalService, portalPath, QStringLiteral("BindShortcuts")).size(), 1,
            10000);
        // A second registration binds the list again: the first binding was answered.
        QVERIFY(backend.registerHotKey(panicKeyCode, 0x0900, {1, 2}));
        QTRY_COMPARE_WITH_TIMEOUT(
            bus.mockCalls(portalService, portalPath, QStringLiteral("BindShortcuts")).size(), 2,
            10000);
        QVERIFY2(logger.lines.isEmpty(), qPrintable(logger.lines.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(PortalHotKeyBackendTest)
#include "PortalHotKeyBackendTest.moc"
