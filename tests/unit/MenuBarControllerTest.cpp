#include "about/AboutViewModel.h"
#include "app/AppDelegate.h"
#include "support/FakePorts.h"
#include "tray/MenuBarIcon.h"
#include "tray/MenuBarViewModel.h"

#include <QSignalSpy>
#include <QTemporaryFile>
#include <QtTest>

namespace {

using IconState = MenuBarController::IconState;

// The program on fakes, started, with protection off unless a test turns it on.
struct Program {
    FakePorts fakes;
    std::unique_ptr<AppDelegate> delegate;
    int terminations = 0;

    explicit Program(bool protectionOn = false) {
        delegate = std::make_unique<AppDelegate>(fakes.ports());
        delegate->terminateApplication = [this] { ++terminations; };
        AppSettings settings;
        settings.isProtectionEnabled = protectionOn;
        delegate->defaults().setAppSettings(settings);
        delegate->applicationDidFinishLaunching();
    }

    MenuBarController& menuBar() { return delegate->menuBar(); }
    MenuBarViewModel& panel() {
        if (!menuBar().panelModel())
            fakes.statusItem.click();
        return *menuBar().panelModel();
    }
    bool panelShown() const {
        return fakes.menuBarWindows.panel && fakes.menuBarWindows.panel->shown;
    }
    QColor iconPixel(QPoint at) const {
        return fakes.statusItem.icon.pixmap(QSize(22, 22)).toImage().pixelColor(at);
    }
    void raiseOverlay() {
        delegate->apps().addApp(QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
                                QString());
        delegate->overlays().showDriveRequired(delegate->apps().apps().last());
    }
};

} // namespace

class MenuBarControllerTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheIconAndFollowsEveryTransition() {
        Program program;
        QVERIFY(program.fakes.statusItem.shown);
        QCOMPARE(program.fakes.statusItem.toolTip, QStringLiteral("Velmora — Protection Off"));
        QCOMPARE(program.menuBar().iconState(), IconState::idle);
        // No window and no QML before the first click.
        QCOMPARE(program.fakes.menuBarWindows.panelsMade, 0);

        // Switching on never shows locked, even with an app waiting for its drive.
        program.panel().setProtectionEnabled(true);
        QCOMPARE(program.menuBar().iconState(), IconState::active);
        QVERIFY(program.delegate->defaults().appSettings().isProtectionEnabled);
        QCOMPARE(program.fakes.overlayWindows.open().size(), std::size_t(0));

        program.raiseOverlay();
        QCOMPARE(program.menuBar().iconState(), IconState::locked);
        program.fakes.logger.lines.clear();
        program.panel().setProtectionEnabled(false);
        QCOMPARE(program.menuBar().iconState(), IconState::idle);
        QVERIFY(!program.delegate->defaults().appSettings().isProtectionEnabled);
        QCOMPARE(program.fakes.overlayWindows.open().size(), std::size_t(0));
        QVERIFY(program.fakes.logger.lines.contains(
            QStringLiteral("[Velmora] Overlay dismissed (reason: cancelled)")));

        // Starting with protection on shows active, in the language chosen; a light desktop gets
        // a dark glyph.
        Program on(true);
        QCOMPARE(on.menuBar().iconState(), IconState::active);
        on.delegate->language().changeLanguage(AppLanguage::chinese);
        on.fakes.scheduler.advance(0);
        QCOMPARE(on.fakes.statusItem.toolTip, QStringLiteral("Velmora — 保护已开启"));
        const QPoint frame(1, 11);
        QCOMPARE(on.iconPixel(frame), MenuBarIcon::lightGlyph());
        on.fakes.appearance.change(DesktopAppearance::ColorScheme::light);
        QCOMPARE(on.iconPixel(frame), MenuBarIcon::darkGlyph());
    }

    void panelCountsOnlyEnabledEntriesAndFollowsTheStores() {
        Program program;
        MenuBarViewModel& panel = program.panel();
        QCOMPARE(panel.protectedAppsCount(), 0);
        QVERIFY(!panel.showsDrivesRow());

        QSignalSpy counts(&panel, &MenuBarViewModel::countsChanged);
        ProtectedAppsManager& apps = program.delegate->apps();
        for (const char* id : {"org.example.A", "org.example.B", "org.example.C"})
            apps.addApp(QString::fromLatin1(id), QString::fromLatin1(id), QString());
        apps.toggleApp(apps.apps().at(1));
        QCOMPARE(panel.protectedAppsCount(), 2);
        QVERIFY(counts.count() >= 4);

        ProtectedDrivesManager& drives = program.delegate->drives();
        drives.addDrive(QStringLiteral("Off"), QStringLiteral("/media/off"), std::nullopt);
        drives.toggleDrive(drives.drives().first());
        QVERIFY(!panel.showsDrivesRow());
        drives.addDrive(QStringLiteral("On"), QStringLiteral("/media/on"), std::nullopt);
        QCOMPARE(panel.externalDrivesCount(), 1);
        QVERIFY(panel.showsDrivesRow());
    }

    void panelOpensAtTheIconAndItsRowsAct() {
        Program program;
        FakeMenuBarWindows& windows = program.fakes.menuBarWindows;
        program.fakes.statusItem.click(QPoint(500, 3));
        QVERIFY(program.panelShown());
        QCOMPARE(windows.anchors.last(), QRect(500, 3, 1, 1));
        program.fakes.statusItem.click(QPoint(500, 3));
        QVERIFY(!program.panelShown());
        program.fakes.statusItem.rect = QRect(1880, 0, 24, 24);
        program.fakes.statusItem.click(QPoint(500, 3));
        QCOMPARE(windows.anchors.last(), QRect(1880, 0, 24, 24));
        QCOMPARE(windows.panelsMade, 1);

        QSignalSpy settings(&program.menuBar(), &MenuBarController::openSettingsRequested);
        program.panel().openSettings();
        QCOMPARE(settings.count(), 1);
        QVERIFY(!program.panelShown());

        // About is made once and shown again.
        program.panel().openAbout();
        program.panel().openAbout();
        QCOMPARE(windows.aboutWindowsMade, 1);
        QCOMPARE(windows.aboutPresentations, 2);
        QCOMPARE(program.menuBar().aboutModel()->version(), QStringLiteral(VELMORA_VERSION));

        // Quit asks for authentication like Ctrl+Q.
        AppSettings guarded = program.delegate->defaults().appSettings();
        guarded.requirePasswordToQuit = true;
        program.delegate->defaults().setAppSettings(guarded);
        program.panel().quit();
        QCOMPARE(program.fakes.auth.reasons, QStringList{QStringLiteral("Quit Velmora")});
        QCOMPARE(program.terminations, 0);
        program.fakes.auth.answer(AuthBackend::Result::authenticated);
        program.fakes.scheduler.advance(0);
        QCOMPARE(program.terminations, 1);

        // A launcher's activation opens the settings.
        program.fakes.applicationBus.activate();
        QVERIFY(program.delegate->settings()->hasWindow());
    }

    void withoutATraySaysHowToReachTheProgram() {
        FakePorts fakes;
        fakes.statusItem.trayAvailable = false;
        AppDelegate delegate(fakes.ports());
        delegate.applicationDidFinishLaunching();
        QVERIFY(fakes.logger.lines.contains(
            QStringLiteral("[Velmora] No system tray found; launch Velmora again from the "
                           "application menu to open its settings")));
        QVERIFY(fakes.applicationBus.onActivate);
    }

    void licenceTextFallsBackWhenMissingOrNotText() {
        QVERIFY(AboutViewModel(QString()).licenseText().contains(
            QStringLiteral("GNU LESSER GENERAL PUBLIC LICENSE")));
        QCOMPARE(AboutViewModel(QString()).version(), QStringLiteral("1.0"));
        QCOMPARE(AboutViewModel(QString(), QStringLiteral("/nonexistent/LICENSE")).licenseText(),
                 AboutViewModel::fallbackLicenseText());
        QTemporaryFile binary;
        QVERIFY(binary.open());
        binary.write("\xff\xfe\x00garbage\xc3", 12);
        binary.close();
        QCOMPARE(AboutViewModel(QString(), binary.fileName()).licenseText(),
                 AboutViewModel::fallbackLicenseText());
    }
};

QTEST_MAIN(MenuBarControllerTest)
#include "MenuBarControllerTest.moc"
