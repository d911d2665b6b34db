#include "fakes/CapturingLogger.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedAppsManager.h"
#include "model/ProtectedDrivesManager.h"

#include <QSignalSpy>
#include <QtTest>

class StoresTest : public QObject {
    Q_OBJECT

    MemoryStore store;
    CapturingLogger logger;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<ProtectedAppsManager> apps;
    std::unique_ptr<ProtectedDrivesManager> drives;

    void reopen() {
        apps = std::make_unique<ProtectedAppsManager>(*defaults, logger);
        drives = std::make_unique<ProtectedDrivesManager>(*defaults, logger);
    }

private slots:
    void init() {
        store = MemoryStore();
        logger.lines.clear();
        defaults = std::make_unique<Defaults>(store, logger);
        reopen();
    }

    void addAppRefusesExactDuplicatesOnly() {
        QSignalSpy changed(apps.get(), &ProtectedAppsManager::changed);
        apps->addApp(QStringLiteral("org.gnome.TextEditor"), QStringLiteral("Text Editor"),
                     QStringLiteral("/usr/share/applications/org.gnome.TextEditor.desktop"));
        apps->addApp(QStringLiteral("org.gnome.TextEditor"), QStringLiteral("Other"),
                     QStringLiteral("/x"));
        apps->addApp(QStringLiteral("org.gnome.texteditor"), QStringLiteral("Lower"),
                     QStringLiteral("/y"));

        QCOMPARE(apps->apps().size(), 2);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(
            logger.lines,
            QStringList({
                QStringLiteral("[Velmora] Added protected app: Text Editor (org.gnome.TextEditor)"),
                QStringLiteral("[Velmora] Added protected app: Lower (org.gnome.texteditor)"),
            }));
        const ProtectedApp added = apps->apps().first();
        QVERIFY(added.isEnabled);
        QVERIFY(!added.requiredDriveID);
        QVERIFY(qAbs(added.dateAdded.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        // Saved at once, and a new store sees the same list.
        reopen();
        QCOMPARE(apps->apps().size(), 2);
        QCOMPARE(apps->apps().first(), added);
    }

    void operationsOnRecordsNotInTheListChangeNothing() {
        apps->addApp(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("/a"));
        const ProtectedApp a = apps->apps().first();
        apps->removeApp(a);
        const int writes = store.writeCount;

        apps->toggleApp(a);
        apps->setRequiredDriveID(a, QUuid::createUuid());
        QCOMPARE(store.writeCount, writes);

        // Removing a stranger still saves and still logs its name.
        apps->removeApp(a);
        QCOMPARE(store.writeCount, writes + 1);
        QCOMPARE(logger.lines.last(), QStringLiteral("[Velmora] Removed protected app: A"));
        QCOMPARE(logger.count(QStringLiteral("[Velmora] Removed protected app: A")), 2);
    }

    void toggleAndRequirementUseTheStoredRecord() {
        apps->addApp(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("/a"));
        ProtectedApp stale = apps->apps().first();
        stale.isEnabled = false; // the argument's value does not matter
        apps->toggleApp(stale);
        QCOMPARE(apps->apps().first().isEnabled, false);
        apps->toggleApp(stale);
        QCOMPARE(apps->apps().first().isEnabled, true);

        const QUuid drive = QUuid::createUuid();
        apps->setRequiredDriveID(stale, drive);
        QCOMPARE(defaults->protectedApps().first().requiredDriveID, drive);
        apps->setRequiredDriveID(stale, std::nullopt);
        QVERIFY(!defaults->protectedApps().first().requiredDriveID);
    }

    void assigningTheListNotifiesButDoesNotSave() {
        QSignalSpy listChanged(apps.get(), &ProtectedAppsManager::appsChanged);
        apps->setApps({ProtectedApp{QUuid::createUuid(), QStringLiteral("x"), QStringLiteral("X"),
                                    QStringLiteral("/x"), true, std::nullopt,
                                    QDateTime::currentDateTimeUtc()}});
        QCOMPARE(listChanged.count(), 1);
        QVERIFY(defaults->protectedApps().isEmpty());
    }

    void drivesAreUniqueByMountPointOnly() {
        drives->addDrive(QStringLiteral("Key"), QStringLiteral("/media/me/Key"),
                         QStringLiteral("1234-ABCD"));
        drives->addDrive(QStringLiteral("Key 2"), QStringLiteral("/media/me/Key"),
                         QStringLiteral("FFFF-0000"));
        drives->addDrive(QStringLiteral("Key"), QStringLiteral("/media/me/Key1"),
                         QStringLiteral("1234-ABCD"));
        drives->addDrive(QStringLiteral("Plain"), QStringLiteral("/mnt/plain"), std::nullopt);

        QCOMPARE(drives->drives().size(), 3);
        QCOMPARE(logger.lines.first(),
                 QStringLiteral("[Velmora] Added protected drive: Key (/media/me/Key)"));
        reopen();
        QCOMPARE(drives->drives().at(2).volumeUUIDString, std::nullopt);
        QCOMPARE(drives->drive(drives->drives().at(1).id)->mountPoint,
                 QStringLiteral("/media/me/Key1"));
        QVERIFY(!drives->drive(QUuid::createUuid()));
    }

    void removingAndTogglingDrives() {
        drives->addDrive(QStringLiteral("A"), QStringLiteral("/a"), std::nullopt);
        drives->addDrive(QStringLiteral("B"), QStringLiteral("/b"), std::nullopt);
        drives->addDrive(QStringLiteral("C"), QStringLiteral("/c"), std::nullopt);
        const ProtectedDrive b = drives->drives().at(1);
        drives->toggleDrive(b);
        QCOMPARE(drives->drives().at(1).isEnabled, false);

        drives->removeDrive(b);
        QCOMPARE(drives->drives().size(), 2);
        QCOMPARE(drives->drives().at(0).name, QStringLiteral("A"));
        QCOMPARE(drives->drives().at(1).name, QStringLiteral("C"));
        QCOMPARE(logger.lines.last(), QStringLiteral("[Velmora] Removed protected drive: B"));
        const int writes = store.writeCount;
        drives->toggleDrive(b);
        QCOMPARE(store.writeCount, writes);
    }

    void storeStartsEmptyFromAnUnreadableListAndKeepsItsBytes() {
        store.values.insert(QStringLiteral("protectedApps"), QByteArray(R"([{"id":"nope"}])"));
        reopen();
        QVERIFY(apps->apps().isEmpty());
        apps->addApp(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("/a"));
        QCOMPARE(defaults->protectedApps().size(), 1);
        QCOMPARE(store.values.value(QStringLiteral("protectedApps.unreadable")).toByteArray(),
                 QByteArray(R"([{"id":"nope"}])"));
    }
};

QTEST_GUILESS_MAIN(StoresTest)
#include "StoresTest.moc"
