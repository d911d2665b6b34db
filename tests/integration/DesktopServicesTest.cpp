#include "dbus/DBusNotifier.h"
#include "dbus/LogindPowerEvents.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "services/DriveMonitorService.h"
#include "services/LanguageManager.h"
#include "support/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QtTest>

namespace {

QList<QVariantList> notifyCalls(PrivateBus& bus) {
    return bus.mockCalls(QStringLiteral("org.freedesktop.Notifications"),
                         QStringLiteral("/org/freedesktop/Notifications"),
                         QStringLiteral("Notify"));
}

} // namespace

class DesktopServicesTest : public QObject {
    Q_OBJECT

    CapturingLogger logger;

private slots:
    void init() { logger.lines.clear(); }

    void notificationsReachTheServerEachOnItsOwn() {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        QVERIFY2(bus.startMock({QStringLiteral("--session"), QStringLiteral("-t"),
                                QStringLiteral("notification_daemon")},
                               QStringLiteral("org.freedesktop.Notifications")),
                 qPrintable(bus.lastError));
        DBusNotifier notifier(logger, bus.connection());

        std::optional<bool> granted;
        notifier.requestPermission([&](bool answer) { granted = answer; });
        QTRY_VERIFY_WITH_TIMEOUT(granted.has_value(), 10000);
        QVERIFY(*granted);

        notifier.post(QStringLiteral("drive-disconnect-1"), QStringLiteral("硬盘已断开"),
                      QStringLiteral("移动硬盘「Key」已断开连接"), true);
        notifier.post(QStringLiteral("drive-reconnect-2"), QStringLiteral("硬盘已连接"),
                      QStringLiteral("移动硬盘「Key」已重新连接"), false);
        QTRY_COMPARE_WITH_TIMEOUT(notifyCalls(bus).size(), 2, 10000);

        const QList<QVariantList> calls = notifyCalls(bus);
        const QVariantList& first = calls.at(0);
        QCOMPARE(first.at(0).toString(), QStringLiteral("Velmora"));
        QCOMPARE(first.at(1).toUInt(), 0u); // never replaces another notification
        QCOMPARE(first.at(3).toString(), QStringLiteral("硬盘已断开"));
        QCOMPARE(first.at(4).toString(), QStringLiteral("移动硬盘「Key」已断开连接"));
        const QVariantMap hints = qdbus_cast<QVariantMap>(first.at(6).value<QDBusArgument>());
        QCOMPARE(hints.value(QStringLiteral("sound-name")).toString(),
                 QStringLiteral("message-new-instant"));
        QCOMPARE(hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("com.tarnwick.Velmora"));
        const QVariantMap silent =
            qdbus_cast<QVariantMap>(calls.at(1).at(6).value<QDBusArgument>());
        QVERIFY(!silent.contains(QStringLiteral("sound-name")));
        QVERIFY(logger.lines.isEmpty());
    }

    void updateNotificationReplacesItsPredecessor() {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        QVERIFY2(bus.startMock({QStringLiteral("--session"), QStringLiteral("-t"),
                                QStringLiteral("notification_daemon")},
                               QStringLiteral("org.freedesktop.Notifications")),
                 qPrintable(bus.lastError));
        DBusNotifier notifier(logger, bus.connection());
        const QString id = QStringLiteral("velmora-update");
        notifier.post(id, QStringLiteral("Velmora Update Available"),
                      QStringLiteral("Version 2.0 is ready to install."), false);
        QTRY_COMPARE_WITH_TIMEOUT(notifyCalls(bus).size(), 1, 10000);
        // The server answers in order: once a later call's answer is in, so is the first id.
        std::optional<bool> answered;
        notifier.requestPermission([&](bool granted) { answered = granted; });
        QTRY_VERIFY_WITH_TIMEOUT(answered.has_value(), 10000);
        notifier.post(id, QStringLiteral("Velmora Update Available"),
                      QStringLiteral("Version 2.1 is ready to install."), false);
        notifier.post(QStringLiteral("drive-reconnect-9"), QStringLiteral("t"), QStringLiteral("b"),
                      false);
        QTRY_COMPARE_WITH_TIMEOUT(notifyCalls(bus).size(), 3, 10000);
        const QList<QVariantList> calls = notifyCalls(bus);
        QCOMPARE(calls.at(0).at(1).toUInt(), 0u);
        QVERIFY(calls.at(1).at(1).toUInt() != 0u);
        QCOMPARE(calls.at(2).at(1).toUInt(), 0u);
        QVERIFY(logger.lines.isEmpty());
    }

    // The drive monitor's notifications, through the real notifier, in the language chosen.
    void driveNotificationsSpeakTheChosenLanguage() {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        QVERIFY2(bus.startMock({QStringLiteral("--session"), QStringLiteral("-t"),
                                QStringLiteral("notification_daemon")},
                               QStringLiteral("org.freedesktop.Notifications")),
                 qPrintable(bus.lastError));
        DBusNotifier notifier(logger, bus.connection());
        MemoryStore store;
        FakeScheduler scheduler;
        FakeVolumeSource volumes;
        Defaults defaults(store, logger);
        ProtectedDrivesManager drives(defaults, logger);
        drives.addDrive(QStringLiteral("VELKEY"), QStringLiteral("/media/me/VELKEY"),
                        QStringLiteral("UUID-KEY"));
        LanguageManager language(defaults, scheduler, logger);
        DriveMonitorService monitor(
            {scheduler, notifier, volumes, drives, defaults, logger, &language});
        monitor.startPolling();

        const struct {
            AppLanguage language;
            QString disconnected;
            QString reconnected;
        } cases[] = {
            {AppLanguage::english,
             QStringLiteral("Drive Disconnected|The external drive “VELKEY” "
                            "was disconnected."),
             QStringLiteral("Drive Connected|The external drive “VELKEY” is connected again.")},
            {AppLanguage::chinese, QStringLiteral("硬盘已断开|移动硬盘「VELKEY」已断开连接"),
             QStringLiteral("硬盘已连接|移动硬盘「VELKEY」已重新连接")},
            {AppLanguage::japanese,
             QStringLiteral(
                 "ドライブが取り外されました|外付けドライブ「VELKEY」が取り外されました"),
             QStringLiteral(
                 "ドライブが接続されました|外付けドライブ「VELKEY」が再び接続されました")},
            {AppLanguage::korean,
             QStringLiteral("드라이브 연결 해제됨|외장 드라이브 ‘VELKEY’의 연결이 해제되었습니다"),
             QStringLiteral("드라이브 연결됨|외장 드라이브 ‘VELKEY’이(가) 다시 연결되었습니다")},
        };
        qsizetype expected = 0;
        for (const auto& each : cases) {
            language.changeLanguage(each.language);
            volumes.unmountAll();
            scheduler.advance(5);
            volumes.mount(QStringLiteral("VELKEY"), QStringLiteral("UUID-KEY"));
            scheduler.advance(5);
            expected += 2;
            QTRY_COMPARE_WITH_TIMEOUT(notifyCalls(bus).size(), expected, 10000);
            const QList<QVariantList> calls = notifyCalls(bus);
            const auto shown = [&](qsizetype index) {
                return calls.at(index).at(3).toString() + u'|' + calls.at(index).at(4).toString();
            };
            QCOMPARE(shown(expected - 2), each.disconnected);
            QCOMPARE(shown(expected - 1), each.reconnected);
        }
    }

    void missingNotificationServerIsLoggedNotFatal() {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        DBusNotifier notifier(logger, bus.connection());
        std::optional<bool> granted;
        notifier.requestPermission([&](bool answer) { granted = answer; });
        QTRY_VERIFY_WITH_TIMEOUT(granted.has_value(), 10000);
        QVERIFY(!*granted);
        notifier.post(QStringLiteral("drive-disconnect-X"), QStringLiteral("t"),
                      QStringLiteral("b"), true);
        QTRY_COMPARE_WITH_TIMEOUT(logger.lines.size(), 2, 10000);
        QVERIFY(
            logger.lines.at(0).startsWith(QStringLiteral("[Velmora] No notification server: ")));
        QVERIFY(logger.lines.at(1).startsWith(
            QStringLiteral("[Velmora] Could not show notification drive-disconnect-X: ")));

        DBusNotifier withoutBus(logger, QDBusConnection(QStringLiteral("no-such-connection")));
        withoutBus.post(QStringLiteral("id"), QStringLiteral("t"), QStringLiteral("b"), true);
        const QString once = QStringLiteral("[Velmora] Could not show notification id: no session "
                                            "bus; notifications stay off until Velmora is started "
                                            "again");
        QCOMPARE(logger.lines.last(), once);
        const qsizetype lines = logger.lines.size();
        withoutBus.post(QStringLiteral("id2"), QStringLiteral("t"), QStringLiteral("b"), true);
        QCOMPARE(logger.lines.size(), lines);
    }

    void powerOffComesFromLogind() {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        QVERIFY2(bus.startMock(
                     {QStringLiteral("--system"), QStringLiteral("-t"), QStringLiteral("logind")},
                     QStringLiteral("org.freedesktop.login1")),
                 qPrintable(bus.lastError));
        LogindPowerEvents events(logger, bus.connection(), QStringLiteral("c7"));
        int powerOffs = 0;
        events.onPowerOff([&] { ++powerOffs; });

        emitSignal(bus, QStringLiteral("PrepareForShutdown"), QStringLiteral("b"), {false});
        emitSignal(bus, QStringLiteral("SessionRemoved"), QStringLiteral("so"),
                   {QStringLiteral("other"),
                    QVariant::fromValue(QDBusObjectPath(QStringLiteral("/s/other")))});
        emitSignal(bus, QStringLiteral("PrepareForShutdown"), QStringLiteral("b"), {true});
        QTRY_COMPARE_WITH_TIMEOUT(powerOffs, 1, 10000);
        emitSignal(
            bus, QStringLiteral("SessionRemoved"), QStringLiteral("so"),
            {QStringLiteral("c7"), QVariant::fromValue(QDBusObjectPath(QStringLiteral("/s/c7")))});
        QTRY_COMPARE_WITH_TIMEOUT(powerOffs, 2, 10000);
        QVERIFY(logger.lines.isEmpty());
    }

    void withoutLogindNothingHappensButOneLine() {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.lastError));
        LogindPowerEvents events(logger, bus.connection());
        QCOMPARE(logger.lines,
                 QStringList{QStringLiteral(
                     "[Velmora] systemd-logind is not available; power-off will not be noticed")});
    }

private:
    static void emitSignal(PrivateBus& bus, const QString& name, const QString& signature,
                           const QVariantList& arguments) {
        QVariantList wrapped;
        for (const QVariant& argument : arguments)
            wrapped.append(QVariant::fromValue(QDBusVariant(argument)));
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
        call << QStringLiteral("org.freedesktop.login1.Manager") << name << signature << wrapped;
        const QDBusMessage reply = bus.connection().call(call);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }
};

QTEST_GUILESS_MAIN(DesktopServicesTest)
#include "DesktopServicesTest.moc"
