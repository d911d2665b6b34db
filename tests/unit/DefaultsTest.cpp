#include "model/Defaults.h"
#include "fakes/CapturingLogger.h"
#include "fakes/MemoryStore.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

const QByteArray threeAppsOneWithoutPath =
    R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","bundleIdentifier":"a","name":"A","path":"\/a","isEnabled":true,"dateAdded":1},)"
    R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E60","bundleIdentifier":"b","name":"B","isEnabled":true,"dateAdded":2},)"
    R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E61","bundleIdentifier":"c","name":"C","path":"\/c","isEnabled":true,"dateAdded":3}])";

QByteArray settingsJson(const char* members) {
    return QByteArray("{") + members + "}";
}

} // namespace

class DefaultsTest : public QObject {
    Q_OBJECT

    MemoryStore store;
    CapturingLogger logger;
    std::unique_ptr<Defaults> defaults;

private slots:
    void init() {
        store = MemoryStore();
        logger.lines.clear();
        defaults = std::make_unique<Defaults>(store, logger);
    }

    void firstRunReadsEmpty() {
        QVERIFY(defaults->protectedApps().isEmpty());
        QVERIFY(defaults->protectedDrives().isEmpty());
        QVERIFY(!defaults->hasCompletedOnboarding());
        const AppSettings settings = defaults->appSettings();
        QVERIFY(settings.isProtectionEnabled);
        QCOMPARE(settings.driveCheckIntervalSeconds, 5);
    }

    void settingsReadTolerantly_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("protection");
        QTest::addColumn<qint64>("interval");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("requirePassword");

        QTest::newRow("only protection off")
            << settingsJson(R"("isProtectionEnabled":false)") << false << qint64(5) << "once"
            << "system" << false;
        QTest::newRow("unknown language keeps the rest")
            << settingsJson(
                   R"("appLanguage":"fr","driveCheckIntervalSeconds":12,"requirePasswordToQuit":true)")
            << true << qint64(12) << "once"
            << "system" << true;
        QTest::newRow("language raw value in wrong case")
            << settingsJson(R"("appLanguage":"ZH-HANS","driveDisconnectNotification":"repeated")")
            << true << qint64(5) << "repeated"
            << "system" << false;
        QTest::newRow("unknown mode")
            << settingsJson(R"("driveDisconnectNotification":"always","appLanguage":"ja")") << true
            << qint64(5) << "once"
            << "ja" << false;
        QTest::newRow("null members take defaults")
            << settingsJson(R"("isProtectionEnabled":null,"appLanguage":null)") << true << qint64(5)
            << "once"
            << "system" << false;
        QTest::newRow("interval as text fails the whole read")
            << settingsJson(R"("isProtectionEnabled":false,"driveCheckIntervalSeconds":"10")")
            << true << qint64(5) << "once"
            << "system" << false;
        QTest::newRow("fractional interval fails the whole read")
            << settingsJson(R"("isProtectionEnabled":false,"driveCheckIntervalSeconds":2.5)")
            << true << qint64(5) << "once"
            << "system" << false;
        QTest::newRow("boolean as number fails the whole read")
            << settingsJson(R"("isProtectionEnabled":0,"appLanguage":"ko")") << true << qint64(5)
            << "once"
            << "system" << false;
        QTest::newRow("language as number fails the whole read")
            << settingsJson(R"("appLanguage":1,"requirePasswordToQuit":true)") << true << qint64(5)
            << "once"
            << "system" << false;
        QTest::newRow("not an object") << QByteArray("[1]") << true << qint64(5) << "once"
                                       << "system" << false;
        QTest::newRow("large interval kept")
            << settingsJson(R"("driveCheckIntervalSeconds":9007199254740993)") << true
            << qint64(9007199254740993) << "once"
            << "system" << false;
    }

    void settingsReadTolerantly() {
        QFETCH(QByteArray, stored);
        store.values.insert(QStringLiteral("appSettings"), stored);
        const AppSettings settings = defaults->appSettings();
        QTEST(settings.isProtectionEnabled, "protection");
        QTEST(qint64(settings.driveCheckIntervalSeconds), "interval");
        QTEST(DriveDisconnectNotificationModes::rawValue(settings.driveDisconnectNotification),
              "mode");
        QTEST(AppLanguages::rawValue(settings.appLanguage), "language");
        QTEST(settings.requirePasswordToQuit, "requirePassword");
        QVERIFY(settings.closeOnSleep);
        QCOMPARE(store.values.value(QStringLiteral("appSettings")).toByteArray(), stored);
    }

    void settingsWriteAllEightMembers() {
        AppSettings settings;
        settings.appLanguage = AppLanguage::korean;
        settings.driveDisconnectNotification = DriveDisconnectNotificationMode::repeated;
        settings.driveCheckIntervalSeconds = 30;
        defaults->setAppSettings(settings);
        const QJsonObject object =
            QJsonDocument::fromJson(store.values.value(QStringLiteral("appSettings")).toByteArray())
                .object();
        QCOMPARE(object.size(), 8);
        QCOMPARE(object.value(QStringLiteral("appLanguage")).toString(), QStringLiteral("ko"));
        QCOMPARE(object.value(QStringLiteral("driveDisconnectNotification")).toString(),
                 QStringLiteral("repeated"));
        QCOMPARE(object.value(QStringLiteral("closeOnSleep")).toBool(), true);
        QCOMPARE(defaults->appSettings().driveCheckIntervalSeconds, 30);
    }

    void oneBadRecordCostsOnlyItselfIsToldOnceAndItsBytesAreKept() {
        QList<std::pair<QString, int>> told;
        defaults->setDamageHandler([&](const QString& key, int unreadable) {
            told.append({key, unreadable});
        });
        store.values.insert(QStringLiteral("protectedApps"), threeAppsOneWithoutPath);
        for (int read = 0; read < 3; ++read) {
            const QList<ProtectedApp> apps = defaults->protectedApps();
            QCOMPARE(apps.size(), 2);
            QCOMPARE(apps.at(0).bundleIdentifier, QStringLiteral("a"));
            QCOMPARE(apps.at(1).bundleIdentifier, QStringLiteral("c"));
        }
        QCOMPARE(told, (QList<std::pair<QString, int>>{{QStringLiteral("protectedApps"), 1}}));
        QCOMPARE(logger.lines,
                 QStringList{QStringLiteral(
                     "[Velmora] Stored protectedApps: 1 record(s) could not be read")});
        QCOMPARE(store.values.value(QStringLiteral("protectedApps")).toByteArray(),
                 threeAppsOneWithoutPath);

        defaults->setProtectedApps({});
        QCOMPARE(store.values.value(QStringLiteral("protectedApps.unreadable")).toByteArray(),
                 threeAppsOneWithoutPath);
        QCOMPARE(store.values.value(QStringLiteral("protectedApps")).toByteArray(),
                 QByteArray("[]"));
        QCOMPARE(logger.lines.size(), 2);
        QVERIFY(logger.lines.last().contains(QStringLiteral("protectedApps.unreadable")));

        // Damage met before anyone listens is told when someone does; a list that is no list
        // at all reads empty and is told with no count.
        Defaults later(store, logger);
        store.values.insert(QStringLiteral("protectedDrives"), QByteArray("{not json"));
        QVERIFY(later.protectedDrives().isEmpty());
        told.clear();
        later.setDamageHandler([&](const QString& key, int unreadable) {
            told.append({key, unreadable});
        });
        QCOMPARE(told, (QList<std::pair<QString, int>>{{QStringLiteral("protectedDrives"), 0}}));

        // A second unreadable value later does not overwrite the first copy.
        store.values.insert(QStringLiteral("protectedApps"), QByteArray("{not json"));
        defaults->setProtectedApps({});
        QCOMPARE(store.values.value(QStringLiteral("protectedApps.unreadable")).toByteArray(),
                 threeAppsOneWithoutPath);
        QCOMPARE(store.values.value(QStringLiteral("protectedApps.unreadable.2")).toByteArray(),
                 QByteArray("{not json"));
    }

    // Decoded lists are kept for as long as their bytes stay; bytes written under the same key by
    // anyone else are read anew.
    void aListChangedInTheStoreIsReadAnew() {
        store.values.insert(QStringLiteral("protectedApps"), threeAppsOneWithoutPath);
        QCOMPARE(defaults->protectedApps().size(), 2);
        store.values.insert(QStringLiteral("protectedApps"), QByteArray("[]"));
        QVERIFY(defaults->protectedApps().isEmpty());
        store.values.insert(QStringLiteral("protectedApps"), threeAppsOneWithoutPath);
        QCOMPARE(defaults->protectedApps().size(), 2);
    }

    void unreadableBytesStayWhenNoCopyCanBeMade() {
        store.values.insert(QStringLiteral("protectedDrives"), QByteArray("garbage"));
        store.failWrites = true;
        defaults->setProtectedDrives({});
        QCOMPARE(store.values.value(QStringLiteral("protectedDrives")).toByteArray(),
                 QByteArray("garbage"));
        QCOMPARE(logger.lines.size(), 1);
    }

    void unreadableSettingsAreKeptToo() {
        store.values.insert(QStringLiteral("appSettings"),
                            QByteArray(R"({"launchAtLogin":"yes"})"));
        defaults->setAppSettings(AppSettings{});
        QCOMPARE(store.values.value(QStringLiteral("appSettings.unreadable")).toByteArray(),
                 QByteArray(R"({"launchAtLogin":"yes"})"));
    }

    void namesThatWereNotUtf8AreStoredNotDropped() {
        ProtectedDrive drive{QUuid::createUuid(),
                             QString::fromUtf8("Caf\xe9 \xff key"),
                             QStringLiteral("/media/x"),
                             std::nullopt,
                             true,
                             QDateTime::currentDateTimeUtc()};
        drive.name.append(QChar(0xD800)); // a lone surrogate, as broken UTF-16 would give
        defaults->setProtectedDrives({drive});
        const QList<ProtectedDrive> read = defaults->protectedDrives();
        QCOMPARE(read.size(), 1);
        QVERIFY(read.first().name.startsWith(QStringLiteral("Caf")));
        QVERIFY(read.first().name.contains(QChar(0xFFFD)));
        QCOMPARE(read.first().id, drive.id);
    }

    void onboardingFlagRoundTrips() {
        defaults->setHasCompletedOnboarding(true);
        QVERIFY(defaults->hasCompletedOnboarding());
        defaults->setHasCompletedOnboarding(false);
        QVERIFY(!defaults->hasCompletedOnboarding());
    }
};

QTEST_GUILESS_MAIN(DefaultsTest)
#include "DefaultsTest.moc"
