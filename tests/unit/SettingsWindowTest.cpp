#include "app/AppDelegate.h"
#include "support/FakePorts.h"

#include <QtTest>

namespace {

const QString pollLine = QStringLiteral("[Velmora] Drive polling started (every %1 seconds)");

// The program on fakes, started, with the settings window controller of its step 10.
struct Program {
    FakePorts fakes;
    std::unique_ptr<AppDelegate> delegate;

    Program() {
        // A user past the welcome walk, so only the settings window comes forward.
        fakes.store.setBoolean(QStringLiteral("hasCompletedOnboarding"), true);
        delegate = std::make_unique<AppDelegate>(fakes.ports());
        delegate->applicationDidFinishLaunching();
        fakes.logger.lines.clear();
    }
    SettingsWindowController& settings() { return *delegate->settings(); }
    FakeSettingsWindows::Record& window() { return fakes.settingsWindows.records.front(); }
    GeneralSettingsViewModel& general() { return *settings().generalModel(); }
    void setLanguage(AppLanguage language) {
        delegate->language().changeLanguage(language);
        fakes.scheduler.advance(0);
    }
};

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void windowIsMadeOnceCentredOnTheRequestingScreen() {
        Program program;
        QVERIFY(!program.settings().hasWindow());
        program.fakes.screens.list = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        program.fakes.screens.available = {QRect(0, 32, 1920, 1048), QRect(1920, 0, 1280, 980)};

        // No screen given: the first (primary) screen's available area.
        program.settings().showWindowOn(std::nullopt);
        QCOMPARE(program.fakes.settingsWindows.records.size(), 1u);
        QCOMPARE(program.window().title, QStringLiteral("Velmora Settings"));
        QCOMPARE(program.window().contentSize, QSize(520, 480));
        // Frame 520 x 510 centred on (960, 556).
        QCOMPARE(program.window().moves.last(), QPoint(700, 301));
        QCOMPARE(program.window().shows, 1);
        QCOMPARE(program.fakes.selfActivation.activations, 1);

        // Another screen asks: the same window moves there and comes to the front.
        program.settings().showWindowOn(QRect(1920, 0, 1280, 980));
        QCOMPARE(program.fakes.settingsWindows.records.size(), 1u);
        QCOMPARE(program.window().moves.last(), QPoint(1920 + 380, 235));
        QCOMPARE(program.window().shows, 2);

        // A real screen object gives its own available area.
        program.settings().showWindow(QGuiApplication::primaryScreen());
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(program.window().moves.last(), QPoint(qRound(QRectF(area).center().x() - 260),
                                                       qRound(QRectF(area).center().y() - 255)));

        // No screen at all: shown where it is.
        program.fakes.screens.list.clear();
        program.fakes.screens.available.clear();
        const qsizetype moves = program.window().moves.size();
        program.settings().showWindowOn(std::nullopt);
        QCOMPARE(program.window().moves.size(), moves);
        QCOMPARE(program.window().shows, 4);
    }

    void tabAndTitleSurviveClosingAndLanguageChanges() {
        Program program;
        program.settings().showWindowOn(std::nullopt);
        SettingsViewModel& view = program.settings().viewModel();
        QCOMPARE(view.selectedTab(), int(SettingsViewModel::general));
        QObject apps;
        QObject drives;
        program.settings().setTabModels(&apps, &drives);
        QCOMPARE(view.appsModel(), &apps);
        view.setSelectedTab(SettingsViewModel::drives);
        QSignalSpy rebuilt(&view, &SettingsViewModel::contentChanged);

        QPointer<GeneralSettingsViewModel> before = &program.general();
        program.setLanguage(AppLanguage::chinese);
        QCOMPARE(rebuilt.size(), 1);
        QVERIFY(&program.general() != before.data());
        QCOMPARE(view.generalModel(), &program.general());
        QCOMPARE(view.drivesModel(), &drives);
        QCOMPARE(view.selectedTab(), int(SettingsViewModel::drives));
        // The old tab model goes once its views have been replaced.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(before.isNull());

        // Closing only hides: the next request shows the same window with its tab, its title in
        // the language now in force.
        program.settings().showWindowOn(std::nullopt);
        QCOMPARE(program.fakes.settingsWindows.records.size(), 1u);
        QCOMPARE(view.selectedTab(), int(SettingsViewModel::drives));
        QCOMPARE(program.window().title, QStringLiteral("Velmora 设置"));
    }

    // The tab's appearance and language changes refresh what it shows; the user's autostart
    // entry is written only by the launch-at-login switch. The title follows the language.
    void generalTabAppearingRefreshesAuthAndLeavesTheLoginItem() {
        Program program;
        program.fakes.auth.unavailableBecause = QStringLiteral("no agent");
        program.settings().showWindowOn(std::nullopt);
        QVERIFY(!program.general().authAvailable());

        program.settings().viewModel().setSelectedTab(SettingsViewModel::apps);
        program.fakes.auth.unavailableBecause.reset();
        program.settings().showWindowOn(std::nullopt);
        program.settings().viewModel().setSelectedTab(SettingsViewModel::general);
        QVERIFY(program.general().authAvailable());

        program.delegate->language().changeLanguage(AppLanguage::chinese);
        program.fakes.scheduler.advance(0);
        QCOMPARE(program.window().title, QStringLiteral("Velmora 设置"));
        QCOMPARE(program.general().languageNames().first(), QStringLiteral("跟随系统"));
        program.delegate->language().changeLanguage(AppLanguage::english);
        program.fakes.scheduler.advance(0);
        QCOMPARE(program.window().title, QStringLiteral("Velmora Settings"));
        QCOMPARE(program.general().languageNames().first(), QStringLiteral("System"));
        QVERIFY(program.fakes.loginItems.calls.isEmpty());
    }

    void sliderStoresWholeSecondsAndRestartsPollingOncePerChange() {
        Program program;
        program.settings().showWindowOn(std::nullopt);
        GeneralSettingsViewModel& general = program.general();
        for (double value = 5.0; value <= 12.0; value += 0.25)
            general.setDriveCheckInterval(value);
        QCOMPARE(program.delegate->defaults().appSettings().driveCheckIntervalSeconds, 12);
        QCOMPARE(general.driveCheckInterval(), 12.0);
        int restarts = 0;
        for (const QString& line : program.fakes.logger.lines)
            restarts += line.startsWith(QStringLiteral("[Velmora] Drive polling started"));
        QCOMPARE(restarts, 7);
        QCOMPARE(program.fakes.logger.lines.last(), pollLine.arg(12));

        // Out of range or not a number: clamped, or ignored.
        general.setDriveCheckInterval(99);
        QCOMPARE(program.delegate->defaults().appSettings().driveCheckIntervalSeconds, 30);
        general.setDriveCheckInterval(qQNaN());
        QCOMPARE(general.driveCheckInterval(), 30.0);

        general.setDisconnectNotificationIndex(1);
        QCOMPARE(program.delegate->defaults().appSettings().driveDisconnectNotification,
                 DriveDisconnectNotificationMode::repeated);
        QVERIFY(program.fakes.loginItems.calls.isEmpty());
    }

    void switchesSaveThenUpdateTheLoginItem() {
        Program program;
        program.settings().showWindowOn(std::nullopt);
        GeneralSettingsViewModel& general = program.general();
        program.fakes.loginItems.calls.clear();
        // Changed elsewhere while the tab is open: kept.
        AppSettings elsewhere = program.delegate->defaults().appSettings();
        elsewhere.isProtectionEnabled = false;
        program.delegate->defaults().setAppSettings(elsewhere);

        program.fakes.loginItems.failure = QStringLiteral("Could not write the entry");
        general.setLaunchAtLogin(true);
        AppSettings stored = program.delegate->defaults().appSettings();
        QVERIFY(stored.launchAtLogin);
        QVERIFY(!stored.isProtectionEnabled);
        QVERIFY(general.launchAtLogin());
        QCOMPARE(
            program.fakes.logger.lines.last(),
            QStringLiteral("[Velmora] Failed to update login item: Could not write the entry"));

        program.fakes.loginItems.failure.reset();
        general.setRequirePasswordToQuit(true);
        QVERIFY(program.delegate->defaults().appSettings().requirePasswordToQuit);
        QCOMPARE(program.fakes.loginItems.calls, QStringList{QStringLiteral("register")});
        general.setLaunchAtLogin(false);
        QCOMPARE(program.fakes.loginItems.calls,
                 (QStringList{QStringLiteral("register"), QStringLiteral("unregister")}));
        QCOMPARE(program.fakes.logger.lines.last(),
                 QStringLiteral("[Velmora] Login item unregistered successfully"));
    }

    void quitFooterFollowsTheThreeAuthStates() {
        Program program;
        program.settings().showWindowOn(std::nullopt);
        GeneralSettingsViewModel& general = program.general();
        QCOMPARE(
            general.quitFooterKey(),
            QStringLiteral("Quitting Velmora — including ⌘Q — asks for your Mac login password."));
        program.fakes.auth.biometrics = true;
        general.appear();
        QCOMPARE(general.quitFooterKey(),
                 QStringLiteral("Quitting Velmora — including ⌘Q — asks "
                                "for Touch ID or your Mac login password."));
        program.fakes.auth.unavailableBecause = QString();
        general.appear();
        QVERIFY(!general.authAvailable());
        QCOMPARE(general.quitFooterKey(), QStringLiteral("This Mac has no Touch ID and no login "
                                                         "password, so quitting can't be "
                                                         "protected."));
        // Disabled switch: the stored value stays.
        general.setRequirePasswordToQuit(true);
        QVERIFY(!program.delegate->defaults().appSettings().requirePasswordToQuit);
    }

    void languageChoiceSwitchesAndStoresTheLanguage() {
        Program program;
        program.settings().showWindowOn(std::nullopt);
        program.general().chooseLanguage(2);
        program.fakes.scheduler.advance(0);
        QCOMPARE(program.delegate->language().currentLanguage(), AppLanguage::chinese);
        QCOMPARE(program.delegate->defaults().appSettings().appLanguage, AppLanguage::chinese);
        QCOMPARE(program.general().languageIndex(), 2);
        program.general().chooseLanguage(9);
        QCOMPARE(program.delegate->language().currentLanguage(), AppLanguage::chinese);
        QCOMPARE(program.general().version(), QStringLiteral(VELMORA_VERSION));
    }
};

QTEST_MAIN(SettingsWindowTest)
#include "SettingsWindowTest.moc"
