#include "settings/DriveSettingsViewModel.h"
#include "support/DriveMonitorRig.h"
#include "support/GuardRig.h"

#include <QtTest>

class DriveSettingsViewModelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DriveMonitorRig<>> rig;
    std::unique_ptr<GuardRig> owner;
    std::unique_ptr<DriveSettingsViewModel> model;
    QList<QWindow*> pickerOpenedOver;

    QVariantMap row(int position) const { return model->rows().at(position).toMap(); }
    QStringList names() const {
        QStringList result;
        for (const ProtectedDrive& drive : rig->drives.drives())
            result.append(drive.name);
        return result;
    }
    QString text(int position, const char* key) const {
        return row(position).value(QLatin1String(key)).toString();
    }
    bool flag(int position, const char* key) const {
        return row(position).value(QLatin1String(key)).toBool();
    }
    QString idOf(int position) const { return text(position, "id"); }

private slots:
    void init() {
        pickerOpenedOver.clear();
        model.reset();
        owner.reset();
        rig = std::make_unique<DriveMonitorRig<>>();
        owner = std::make_unique<GuardRig>(rig->defaults, rig->scheduler, rig->logger);
        model = std::make_unique<DriveSettingsViewModel>(DriveSettingsViewModel::Dependencies{
            rig->drives, owner->guard, rig->driveMonitor,
            [this](QWindow* parent) { pickerOpenedOver.append(parent); }});
    }

    // Fill needs switched on and mounted, colour and dot follow mounted; the UUID line only
    // when there is one. Rows ask when they appear, then at every poll.
    void rowsFollowEachStateAndEveryPoll() {
        rig->volumes.mount("Key", "AAAA-1111");
        rig->volumes.mount("Loose");
        rig->drives.addDrive("Key", "/media/user/Key", QStringLiteral("AAAA-1111"));
        rig->drives.addDrive("Away", "/media/user/Away", QStringLiteral("BBBB-2222"));
        rig->drives.addDrive("Loose", "/media/user/Loose", std::nullopt);
        rig->drives.toggleDrive(rig->drives.drives().at(2));
        QCOMPARE(flag(0, "isMounted"), false); // not asked before the view shows

        model->viewAppeared();
        struct Expected {
            bool mounted;
            QString symbol, symbolTone, dotTone, uuidLine;
        };
        const QList<Expected> expected{
            {true, "externaldrive.fill", "success", "success", "AAAA-1111"},
            {false, "externaldrive", "secondary", "error", "BBBB-2222"},
            {true, "externaldrive", "success", "success", ""},
        };
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(flag(i, "isMounted"), expected[i].mounted);
            QCOMPARE(text(i, "symbol"), expected[i].symbol);
            QCOMPARE(text(i, "symbolTone"), expected[i].symbolTone);
            QCOMPARE(text(i, "dotTone"), expected[i].dotTone);
            QCOMPARE(text(i, "uuidLine"), expected[i].uuidLine);
        }

        // Unplugged: the row turns at the monitor's next poll, not before.
        rig->driveMonitor.startPolling();
        rig->volumes.unmountAll();
        QCOMPARE(text(0, "dotTone"), QStringLiteral("success"));
        rig->scheduler.advance(5);
        QCOMPARE(text(0, "dotTone"), QStringLiteral("error"));
        // A row that appears asks at once.
        rig->volumes.mount("New", "CCCC-3333");
        rig->drives.addDrive("New", "/media/user/New", QStringLiteral("CCCC-3333"));
        QCOMPARE(flag(3, "isMounted"), true);
    }

    // The switch and the trash act on the drive their row shows, wherever it now stands.
    void switchAndTrashNameTheirDrive() {
        for (const char* name : {"A", "B", "C"})
            rig->drives.addDrive(name, QStringLiteral("/media/user/") + name, std::nullopt);
        const QString b = idOf(1);
        const QString c = idOf(2);
        rig->drives.removeDrive(rig->drives.drives().at(0));
        model->toggleDrive(b);
        QCOMPARE(rig->drives.drives().at(0).isEnabled, false);
        QCOMPARE(rig->drives.drives().at(1).isEnabled, true);
        model->removeDrive(c);
        QCOMPARE(names(), QStringList{"B"});
        QCOMPARE(rig->logger.lines.last(), QStringLiteral("[Velmora] Removed protected drive: C"));

        model->addDrive(nullptr);
        QCOMPARE(pickerOpenedOver, QList<QWindow*>{nullptr});
    }

    // Click, Shift-click and Ctrl-click choose rows; Delete removes exactly those.
    void deletesTheSelectedRows() {
        for (const char* name : {"A", "B", "C", "D", "E"})
            rig->drives.addDrive(name, QStringLiteral("/media/user/") + name, std::nullopt);
        model->clickRow(1, Qt::NoModifier);
        model->clickRow(3, Qt::ShiftModifier);
        model->clickRow(2, Qt::ControlModifier);
        model->clickRow(4, Qt::ControlModifier);
        QCOMPARE(model->selection(), (QList<int>{1, 3, 4}));
        QCOMPARE(flag(3, "isSelected"), true);
        model->deleteSelected();
        QCOMPARE(names(), (QStringList{"A", "C"}));
        QCOMPARE(model->selection(), QList<int>{});
    }
};

QTEST_GUILESS_MAIN(DriveSettingsViewModelTest)
#include "DriveSettingsViewModelTest.moc"
