#pragma once

#include "app/Ports.h"
#include "fakes/CapturingLogger.h"
#include "fakes/FakeAppIconSource.h"
#include "fakes/FakeApplicationBus.h"
#include "fakes/FakeAuthBackend.h"
#include "fakes/FakeDesktopAppearance.h"
#include "fakes/FakeDriveKeyFiles.h"
#include "fakes/FakeExecGate.h"
#include "fakes/FakeHotKeyBackend.h"
#include "fakes/FakeInstallSecret.h"
#include "fakes/FakeInstalledApplications.h"
#include "fakes/FakeKeyMonitor.h"
#include "fakes/FakeLoginItems.h"
#include "fakes/FakeMenuBarWindows.h"
#include "fakes/FakeMountChanges.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeOnboardingWindows.h"
#include "fakes/FakeOverlayWindows.h"
#include "fakes/FakePowerEvents.h"
#include "fakes/FakeRunRecord.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeScreens.h"
#include "fakes/FakeSelfActivation.h"
#include "fakes/FakeSettingsWindows.h"
#include "fakes/FakeStatusItem.h"
#include "fakes/FakeUpdateWindow.h"
#include "fakes/FakeUpdater.h"
#include "fakes/FakeVolumeSource.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/MemoryStore.h"

// Hands the delegate windows that the test's FakeOverlayWindows records.
class OverlayWindowsProxy : public OverlayWindows {
public:
    explicit OverlayWindowsProxy(OverlayWindows& target)
        : m_target(target) {}
    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override {
        return m_target.create(screen, std::move(content));
    }

private:
    OverlayWindows& m_target;
};

// Hands the delegate windows whose making the test's fakes record.
class SettingsWindowsProxy : public SettingsWindows {
public:
    explicit SettingsWindowsProxy(SettingsWindows& target)
        : m_target(target) {}
    std::unique_ptr<SettingsWindow> create(const QString& title, const QSize& size,
                                           QObject& viewModel) override {
        return m_target.create(title, size, viewModel);
    }

private:
    SettingsWindows& m_target;
};

class UpdateWindowProxy : public UpdateWindow {
public:
    explicit UpdateWindowProxy(UpdateWindow& target)
        : m_target(target) {}
    bool isProgramActive() const override { return m_target.isProgramActive(); }
    void show(QObject& model) override { m_target.show(model); }
    void openLink(const QUrl& url) override { m_target.openLink(url); }

private:
    UpdateWindow& m_target;
};

// A fake for every port, so a test can build the whole program on fakes in one line.
struct FakePorts {
    FakeScheduler scheduler;
    MemoryStore store;
    FakeVolumeSource volumes;
    CapturingLogger logger;
    FakeNotifier notifier;
    FakePowerEvents powerEvents;
    FakeAppIconSource appIcons;
    FakeHotKeyBackend hotKeys;
    FakeAuthBackend auth;
    FakeWorkspace workspace;
    FakeScreens screens;
    FakeOverlayWindows overlayWindows;
    FakeKeyMonitor keyMonitor;
    FakeSelfActivation selfActivation;
    FakeStatusItem statusItem;
    FakeMenuBarWindows menuBarWindows;
    FakeDesktopAppearance appearance;
    FakeApplicationBus applicationBus;
    FakeOnboardingWindows onboardingWindows;
    FakeLoginItems loginItems;
    FakeSettingsWindows settingsWindows;
    FakeUpdater updater;
    FakeUpdateWindow updateWindow;
    FakeMountChanges mountChanges;
    FakeInstalledApplications installedApps;
    FakeDriveKeyFiles driveKeys;
    FakeInstallSecret installSecret;
    FakeExecGate execGate;
    FakeRunRecord runRecord;

    Ports ports() {
        const OverlayWindowsFactory makeOverlayWindows = [this](const OverlayViewServices&) {
            return std::make_unique<OverlayWindowsProxy>(overlayWindows);
        };
        const MenuBarWindowsFactory makeMenuBarWindows = [this](LanguageManager&) {
            return std::make_unique<MenuBarWindowsProxy>(menuBarWindows);
        };
        const SettingsWindowsFactory makeSettingsWindows = [this](LanguageManager&) {
            return std::make_unique<SettingsWindowsProxy>(settingsWindows);
        };
        const UpdateWindowFactory makeUpdateWindow = [this](LanguageManager&) {
            return std::make_unique<UpdateWindowProxy>(updateWindow);
        };
        return Ports{
            .scheduler = scheduler,
            .store = store,
            .volumes = volumes,
            .logger = logger,
            .notifier = notifier,
            .powerEvents = powerEvents,
            .appIcons = appIcons,
            .hotKeys = hotKeys,
            .auth = auth,
            .workspace = workspace,
            .screens = screens,
            .makeOverlayWindows = makeOverlayWindows,
            .keyMonitor = keyMonitor,
            .selfActivation = selfActivation,
            .statusItem = statusItem,
            .makeMenuBarWindows = makeMenuBarWindows,
            .appearance = appearance,
            .applicationBus = applicationBus,
            .makeOnboardingWindow = onboardingWindows.factory(),
            .loginItems = loginItems,
            .makeSettingsWindows = makeSettingsWindows,
            .updater = updater,
            .makeUpdateWindow = makeUpdateWindow,
            .mountChanges = mountChanges,
            .installedApps = installedApps,
            .driveKeys = driveKeys,
            .installSecret = installSecret,
            .execGate = execGate,
            .runRecord = runRecord,
        };
    }
};
