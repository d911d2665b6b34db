#include "settings/AppsSettingsViewModel.h"
#include "support/OverlayModelGraph.h"

#include <QtTest>

class AppsSettingsViewModelTest : public QObject {
    Q_OBJECT

    struct Tab : OverlayModelGraph {
        int pickerOpenings = 0;
        AppsSettingsViewModel model{apps, drives, owner.guard, language,
                                    [this] { ++pickerOpenings; }};

        Tab() {
            for (const char* name : {"Alpha", "Beta", "Gamma", "Delta"})
                apps.addApp(QStringLiteral("org.example.") + QLatin1String(name),
                            QLatin1String(name), QString());
        }
        QString idOf(int row) const {
            return model.data(model.index(row), AppsSettingsViewModel::AppIdRole).toString();
        }
        QVariant value(int row, int role) const { return model.data(model.index(row), role); }
        QStringList names() const {
            QStringList result;
            for (const ProtectedApp& app : apps.apps())
                result.append(app.name);
            return result;
        }
    };

    static QStringList menuValues(const AppsSettingsViewModel& model) {
        return valuesOf(model.driveMenu());
    }
    static QStringList valuesOf(const QVariantList& entries) {
        QStringList values;
        for (const QVariant& entry : entries)
            values.append(entry.toMap().value(QStringLiteral("value")).toString());
        return values;
    }

private slots:
    void driveMenuOffersNoneThenEveryDriveAndFollowsEachChoice() {
        Tab t;
        QVERIFY(!t.model.isDriveMenuEnabled());
        QCOMPARE(menuValues(t.model), QStringList{QStringLiteral("none")});
        QCOMPARE(t.model.driveMenu().first().toMap().value(QStringLiteral("title")).toString(),
                 QStringLiteral("No drive required"));

        t.drives.addDrive(QStringLiteral("Studio"), QStringLiteral("/media/studio"), std::nullopt);
        t.drives.addDrive(QStringLiteral("Backup"), QStringLiteral("/media/backup"), std::nullopt);
        t.drives.toggleDrive(t.drives.drives()[1]);
        const QString studio = t.drives.drives()[0].id.toString(QUuid::WithoutBraces).toUpper();
        const QString backup = t.drives.drives()[1].id.toString(QUuid::WithoutBraces).toUpper();
        QVERIFY(t.model.isDriveMenuEnabled());
        QCOMPARE(menuValues(t.model), QStringList({QStringLiteral("none"), studio, backup}));

        t.model.selectDrive(t.idOf(1), backup);
        QCOMPARE(t.apps.apps()[1].requiredDriveID, t.drives.drives()[1].id);
        QCOMPARE(t.defaults.protectedApps()[1].requiredDriveID, t.drives.drives()[1].id);
        QCOMPARE(t.value(1, AppsSettingsViewModel::DriveIndexRole).toInt(), 2);
        t.model.selectDrive(t.idOf(1), QStringLiteral("not a drive"));
        QCOMPARE(t.apps.apps()[1].requiredDriveID, t.drives.drives()[1].id);
        t.model.selectDrive(t.idOf(1), QStringLiteral("none"));
        QCOMPARE(t.defaults.protectedApps()[1].requiredDriveID, std::nullopt);

        // A drive no longer registered shows as none, and the record keeps it.
        t.model.selectDrive(t.idOf(2), studio);
        t.drives.removeDrive(t.drives.drives()[0]);
        QCOMPARE(t.value(2, AppsSettingsViewModel::DriveIndexRole).toInt(), 0);
        QCOMPARE(t.apps.apps()[2].requiredDriveID->toString(QUuid::WithoutBraces).toUpper(),
                 studio);
    }

    // A row tied to a drive offers each other drive as a spare; with several it shows them
    // together and offers to take each away; stale or foreign values change nothing.
    void rowMenuAddsAndTakesAwaySpareDrives() {
        Tab t;
        for (const char* name : {"Studio", "Backup", "Spare"})
            t.drives.addDrive(QLatin1String(name), QStringLiteral("/media/") + QLatin1String(name),
                              std::nullopt);
        QStringList ids;
        for (const ProtectedDrive& drive : t.drives.drives())
            ids.append(drive.id.toString(QUuid::WithoutBraces).toUpper());
        const QString add = AppsSettingsViewModel::addDrivePrefix();
        const QString drop = AppsSettingsViewModel::dropDrivePrefix();
        const auto entries = [&t] {
            return valuesOf(t.value(1, AppsSettingsViewModel::DriveEntriesRole).toList());
        };
        QCOMPARE(entries(), menuValues(t.model));

        t.model.selectDrive(t.idOf(1), ids[0]);
        QCOMPARE(entries(), menuValues(t.model) + QStringList({add + ids[1], add + ids[2]}));
        t.model.selectDrive(t.idOf(1), add + ids[2]);
        QCOMPARE(t.defaults.protectedApps()[1].requiredDriveIDs(),
                 QList<QUuid>({t.drives.drives()[0].id, t.drives.drives()[2].id}));
        QCOMPARE(entries(),
                 menuValues(t.model) + QStringList({QStringLiteral("chosen"), add + ids[1],
                                                    drop + ids[0], drop + ids[2]}));
        QCOMPARE(t.value(1, AppsSettingsViewModel::DriveIndexRole).toInt(), 4);
        const QVariantList shown = t.value(1, AppsSettingsViewModel::DriveEntriesRole).toList();
        QCOMPARE(shown[4].toMap().value(QStringLiteral("title")).toString(),
                 QStringLiteral("Studio or Spare"));
        QCOMPARE(shown[5].toMap().value(QStringLiteral("title")).toString(),
                 QStringLiteral("+ another drive: Backup"));

        const QList<ProtectedApp> before = t.defaults.protectedApps();
        for (const QString& ignored : {add + QStringLiteral("not a drive"),
                                       add + QUuid::createUuid().toString(QUuid::WithoutBraces),
                                       QStringLiteral("chosen"), drop + ids[1]})
            t.model.selectDrive(t.idOf(1), ignored);
        QCOMPARE(t.defaults.protectedApps(), before);

        // The first taken away, the spare becomes the app's drive; choosing one drive keeps it
        // alone.
        t.model.selectDrive(t.idOf(1), drop + ids[0]);
        QCOMPARE(t.apps.apps()[1].requiredDriveID, t.drives.drives()[2].id);
        QVERIFY(t.apps.apps()[1].spareDriveIDs.isEmpty());
        QCOMPARE(t.value(1, AppsSettingsViewModel::DriveIndexRole).toInt(), 3);
        t.model.selectDrive(t.idOf(1), add + ids[1]);
        t.model.selectDrive(t.idOf(1), ids[0]);
        QCOMPARE(t.apps.apps()[1].requiredDriveIDs(), QList<QUuid>{t.drives.drives()[0].id});
        QCOMPARE(t.value(0, AppsSettingsViewModel::DriveEntriesRole).toList().size(), 4);
    }

    void switchAndTrashNameTheirAppWhateverItsPosition() {
        Tab t;
        const QString beta = t.idOf(1);
        t.model.toggle(beta);
        QCOMPARE(t.value(1, AppsSettingsViewModel::IsEnabledRole).toBool(), false);
        t.model.toggle(beta);
        QCOMPARE(t.defaults.protectedApps()[1].isEnabled, true);

        const QString gamma = t.idOf(2);
        t.model.remove(t.idOf(0));
        QList<ProtectedApp> reordered = t.apps.apps();
        std::reverse(reordered.begin(), reordered.end());
        t.apps.setApps(reordered);
        t.model.remove(gamma);
        QCOMPARE(t.names(), QStringList({QStringLiteral("Delta"), QStringLiteral("Beta")}));
        QVERIFY(t.logger.lines.contains(QStringLiteral("[Velmora] Removed protected app: Gamma")));

        t.model.addApp();
        QCOMPARE(t.pickerOpenings, 1);
    }

    void deletesExactlyTheSelectedRows() {
        Tab t;
        t.model.removeAppsAt({2, 0});
        QCOMPARE(t.names(), QStringList({QStringLiteral("Beta"), QStringLiteral("Delta")}));

        Tab u;
        u.model.selectRow(0, false, false);
        u.model.selectRow(2, false, true); // Shift: rows 0 to 2
        u.model.selectRow(1, true, false); // Ctrl: row 1 out again
        QCOMPARE(u.value(1, AppsSettingsViewModel::IsSelectedRole).toBool(), false);
        u.model.removeSelected();
        QCOMPARE(u.names(), QStringList({QStringLiteral("Beta"), QStringLiteral("Delta")}));
        QVERIFY(!u.model.isEmpty());
        u.model.removeAppsAt({0, 1});
        QVERIFY(u.model.isEmpty());
    }
};

QTEST_GUILESS_MAIN(AppsSettingsViewModelTest)
#include "AppsSettingsViewModelTest.moc"
