#include "app/AppDelegate.h"
#include "settings/AppsSettingsViewModel.h"
#include "settings/DriveSettingsViewModel.h"
#include "support/FakePorts.h"
#include "tray/MenuBarViewModel.h"

#include <QtTest>

namespace {

using Result = AuthBackend::Result;

// The program on fakes with every door that can lower protection: the panel's switch, the Apps
// and Drives tabs and the General tab. "Editor" needs the drive "Key"; "Notes" is tied to no
// drive; the drive "Spare" is needed by nobody.
struct Program {
    FakePorts fakes;
    std::unique_ptr<AppDelegate> delegate;
    std::unique_ptr<AppsSettingsViewModel> appsTab;
    std::unique_ptr<DriveSettingsViewModel> drivesTab;

    explicit Program(bool requireAuthentication) {
        fakes.store.setBoolean(QStringLiteral("hasCompletedOnboarding"), true);
        delegate = std::make_unique<AppDelegate>(fakes.ports());
        AppSettings settings;
        settings.requirePasswordToQuit = requireAuthentication;
        delegate->defaults().setAppSettings(settings);
        delegate->applicationDidFinishLaunching();
        delegate->drives().addDrive(QStringLiteral("Key"), QStringLiteral("/media/Key"), {});
        delegate->drives().addDrive(QStringLiteral("Spare"), QStringLiteral("/media/Spare"), {});
        for (const char* name : {"Editor", "Notes"})
            delegate->apps().addApp(QStringLiteral("org.example.") + QLatin1String(name),
                                    QLatin1String(name), QString());
        delegate->apps().setRequiredDriveID(app("Editor"), drive("Key").id);
        appsTab = std::make_unique<AppsSettingsViewModel>(delegate->apps(), delegate->drives(),
                                                          delegate->guard(), delegate->language(),
                                                          std::function<void()>());
        drivesTab = std::make_unique<DriveSettingsViewModel>(DriveSettingsViewModel::Dependencies{
            delegate->drives(), delegate->guard(), delegate->driveMonitor(), {}});
        delegate->settings()->showWindow(nullptr);
        fakes.logger.lines.clear();
    }

    ProtectedApp app(const char* name) const {
        for (const ProtectedApp& each : delegate->apps().apps()) {
            if (each.name == QLatin1String(name))
                return each;
        }
        return {};
    }
    ProtectedDrive drive(const char* name) const {
        for (const ProtectedDrive& each : delegate->drives().drives()) {
            if (each.name == QLatin1String(name))
                return each;
        }
        return {};
    }
    static QString idOf(const QUuid& id) { return id.toString(QUuid::WithoutBraces).toUpper(); }
    QString appId(const char* name) const { return idOf(app(name).id); }
    QString driveId(const char* name) const { return idOf(drive(name).id); }
    int rowOf(const char* name) const { return int(delegate->apps().apps().indexOf(app(name))); }
    MenuBarViewModel& panel() {
        if (!delegate->menuBar().panelModel())
            fakes.statusItem.click();
        return *delegate->menuBar().panelModel();
    }
    GeneralSettingsViewModel& general() { return *delegate->settings()->generalModel(); }
    // Everything saved: the lists and the settings.
    QHash<QString, QVariant> saved() const { return fakes.store.values; }
    int prompts() const { return int(fakes.auth.pending.size()); }
    void answer(Result result) {
        fakes.auth.answer(result);
        fakes.scheduler.advance(0);
    }
};

struct Door {
    const char* name;
    std::function<void(Program&)> act;
};

// Every change that lowers protection.
QList<Door> looseningDoors() {
    return {
        {"panel switch off", [](Program& p) { p.panel().setProtectionEnabled(false); }},
        {"remove a protected app", [](Program& p) { p.appsTab->remove(p.appId("Editor")); }},
        {"switch a protected app off", [](Program& p) { p.appsTab->toggle(p.appId("Editor")); }},
        {"untie a protected app",
         [](Program& p) {
             p.appsTab->selectDrive(p.appId("Editor"), AppsSettingsViewModel::noDriveValue());
         }},
        {"change a protected app's drive",
         [](Program& p) { p.appsTab->selectDrive(p.appId("Editor"), p.driveId("Spare")); }},
        {"give a protected app a spare drive",
         [](Program& p) {
             p.appsTab->selectDrive(p.appId("Editor"),
                                    AppsSettingsViewModel::addDrivePrefix() + p.driveId("Spare"));
         }},
        {"remove rows with a protected app",
         [](Program& p) {
             p.appsTab->removeAppsAt({p.rowOf("Notes"), p.rowOf("Editor")});
         }},
        {"remove a needed drive",
         [](Program& p) { p.drivesTab->removeDrive(p.drive("Key").id.toString()); }},
        {"switch a needed drive off",
         [](Program& p) { p.drivesTab->toggleDrive(p.drive("Key").id.toString()); }},
        {"delete drive rows with a needed one",
         [](Program& p) {
             p.drivesTab->deleteRows({0, 1});
         }},
        {"turn the setting off", [](Program& p) { p.general().setRequirePasswordToQuit(false); }},
    };
}

} // namespace

class LooseningGuardTest : public QObject {
    Q_OBJECT

private slots:
    // One prompt per change; refused or nobody to ask leaves everything saved as it was and the
    // switch shown as stored; confirmed, the change is made.
    void everyLooseningChangeWaitsForTheOwner() {
        for (const Door& door : looseningDoors()) {
            for (Result answer : {Result::refused, Result::unavailable, Result::authenticated}) {
                Program program(true);
                program.panel();
                const auto before = program.saved();
                door.act(program);
                QVERIFY2(program.prompts() == 1, door.name);
                QVERIFY2(program.saved() == before, door.name);
                program.answer(answer);
                const bool changed = program.saved() != before;
                QVERIFY2(changed == (answer == Result::authenticated), door.name);
                QVERIFY2(program.panel().isProtectionEnabled() ==
                             program.delegate->defaults().appSettings().isProtectionEnabled,
                         door.name);
                QVERIFY2(program.general().requirePasswordToQuit() ==
                             program.delegate->defaults().appSettings().requirePasswordToQuit,
                         door.name);
                if (answer != Result::authenticated)
                    QVERIFY2(program.fakes.logger.lines.last().startsWith(
                                 QStringLiteral("[Velmora] Protection not lowered: ")),
                             door.name);
            }
        }
    }

    // Raising never asks; nor does anything while the setting is off.
    void raisingAndAnUnguardedProgramNeverAsk() {
        Program guarded(true);
        const QList<Door> raising{
            {"switch a free app off", [](Program& p) { p.appsTab->toggle(p.appId("Notes")); }},
            {"switch it on again", [](Program& p) { p.appsTab->toggle(p.appId("Notes")); }},
            {"remove a free app", [](Program& p) { p.appsTab->remove(p.appId("Notes")); }},
            {"switch an unneeded drive off",
             [](Program& p) { p.drivesTab->toggleDrive(p.drive("Spare").id.toString()); }},
            {"remove an unneeded drive",
             [](Program& p) { p.drivesTab->removeDrive(p.drive("Spare").id.toString()); }},
            {"switch a protected app off",
             [](Program& p) { p.appsTab->toggle(p.appId("Editor")); }},
        };
        for (const Door& door : raising.mid(0, 5)) {
            const auto before = guarded.saved();
            door.act(guarded);
            QVERIFY2(guarded.prompts() == 0, door.name);
            QVERIFY2(guarded.saved() != before, door.name);
        }
        // Switching it on again, tying it to a drive, and the panel's switch going on are free.
        raising.last().act(guarded);
        guarded.answer(Result::authenticated);
        raising.last().act(guarded);
        guarded.appsTab->selectDrive(guarded.appId("Editor"),
                                     AppsSettingsViewModel::noDriveValue());
        guarded.answer(Result::authenticated);
        guarded.appsTab->selectDrive(guarded.appId("Editor"), guarded.driveId("Key"));
        guarded.panel().setProtectionEnabled(false);
        guarded.answer(Result::authenticated);
        guarded.panel().setProtectionEnabled(true);
        QCOMPARE(guarded.prompts(), 0);
        QVERIFY(LooseningGuard::protects(guarded.app("Editor")));
        QVERIFY(guarded.delegate->defaults().appSettings().isProtectionEnabled);

        for (const Door& door : looseningDoors()) {
            Program unguarded(false);
            const auto before = unguarded.saved();
            door.act(unguarded);
            QVERIFY2(unguarded.prompts() == 0, door.name);
            QVERIFY2(unguarded.saved() != before || QByteArray(door.name) == "turn the setting off",
                     door.name);
        }
        Program unguarded(false);
        unguarded.general().setRequirePasswordToQuit(true);
        QCOMPARE(unguarded.prompts(), 0);
        QVERIFY(unguarded.delegate->defaults().appSettings().requirePasswordToQuit);
    }

    // With a spare, each drive more that opens the app asks, and so does freeing it; taking one of
    // several keys away, however it is done, only narrows who can open it and never asks.
    void aSpareDriveAsksWhenItOpensTheAppNotWhenItGoes() {
        Program p(true);
        const QString editor = p.appId("Editor");
        const auto asks = [&p](const std::function<void()>& change) {
            const int before = p.prompts();
            change();
            const bool asked = p.prompts() > before;
            if (asked)
                p.answer(Result::authenticated);
            return asked;
        };
        const QString addSpare = AppsSettingsViewModel::addDrivePrefix() + p.driveId("Spare");
        const QString spareId = p.drive("Spare").id.toString();
        QVERIFY(asks([&] { p.appsTab->selectDrive(editor, addSpare); }));
        QCOMPARE(p.app("Editor").requiredDriveIDs(),
                 QList<QUuid>({p.drive("Key").id, p.drive("Spare").id}));
        QVERIFY(!asks([&] {
            p.appsTab->selectDrive(editor,
                                   AppsSettingsViewModel::dropDrivePrefix() + p.driveId("Spare"));
        }));
        QCOMPARE(p.app("Editor").requiredDriveIDs(), QList<QUuid>{p.drive("Key").id});
        QVERIFY(asks([&] { p.appsTab->selectDrive(editor, addSpare); }));

        QVERIFY(!asks([&] { p.drivesTab->toggleDrive(spareId); }));
        QVERIFY(!p.drive("Spare").isEnabled);
        QVERIFY(asks([&] { p.drivesTab->toggleDrive(spareId); }));
        QVERIFY(p.drive("Spare").isEnabled);
        // Key alone: one key fewer. Both drives deleted together would free the app.
        QVERIFY(!asks([&] { p.appsTab->selectDrive(editor, p.driveId("Key")); }));
        QVERIFY(asks([&] { p.appsTab->selectDrive(editor, addSpare); }));
        const auto before = p.saved();
        p.drivesTab->deleteRows({0, 1});
        QCOMPARE(p.prompts(), 1);
        p.answer(Result::refused);
        QCOMPARE(p.saved(), before);
        QVERIFY(!asks([&] { p.drivesTab->removeDrive(p.drive("Key").id.toString()); }));
        QCOMPARE(p.delegate->drives().drives().size(), 1);
        // The spare is now the last key: switching it off frees the app.
        QVERIFY(asks([&] { p.drivesTab->toggleDrive(spareId); }));
        QCOMPARE(p.prompts(), 0);
    }

    // One prompt at a time: a second change meanwhile is dropped, never confirmed by the first.
    void aSecondChangeWhileAskingIsDropped() {
        Program program(true);
        program.appsTab->toggle(program.appId("Editor"));
        program.drivesTab->toggleDrive(program.drive("Key").id.toString());
        QCOMPARE(program.prompts(), 1);
        QCOMPARE(program.fakes.logger.lines.last(),
                 QStringLiteral(
                     "[Velmora] Protection not lowered: another authentication is in progress"));
        program.answer(Result::authenticated);
        QVERIFY(!program.app("Editor").isEnabled);
        QVERIFY(program.drive("Key").isEnabled);
        QCOMPARE(program.fakes.auth.reasons,
                 QStringList{QStringLiteral("Lower Velmora's protection")});
    }

    // With polkit out of reach nothing is lowered and nothing quits, SIGTERM included; the owner
    // is told why and the General tab says the setting cannot be honoured here.
    void nobodyToAskRefusesQuittingAndLoosening() {
        Program program(true);
        program.fakes.auth.unavailableBecause = QStringLiteral("no system bus");
        program.general().appear();
        QCOMPARE(program.general().quitFooterKey(),
                 QStringLiteral("Velmora can't ask for your password here, so this setting can't "
                                "be honoured: quitting is refused instead."));
        int terminations = 0;
        program.delegate->terminateApplication = [&terminations] { ++terminations; };
        program.delegate->requestTermination();
        QCOMPARE(terminations, 0);
        QCOMPARE(program.fakes.notifier.posts.size(), 1);
        QCOMPARE(program.fakes.notifier.posts.first().title,
                 QStringLiteral("Velmora can't quit without your password"));
        QVERIFY(program.fakes.notifier.posts.first().body.contains(QStringLiteral("--panic")));

        const auto before = program.saved();
        for (const Door& door : looseningDoors()) {
            door.act(program);
            program.fakes.scheduler.advance(0);
        }
        QCOMPARE(program.prompts(), 0);
        QVERIFY(program.saved() == before);
        QCOMPARE(program.fakes.logger.count(
                     QStringLiteral("[Velmora] Protection not lowered: nobody could be asked")),
                 int(looseningDoors().size()));
    }
};

QTEST_GUILESS_MAIN(LooseningGuardTest)
#include "LooseningGuardTest.moc"
