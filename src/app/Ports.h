#pragma once

#include "ports/OnboardingWindow.h"

#include <functional>
#include <memory>

class AppIconSource;
class ApplicationBus;
class AuthBackend;
class HotKeyBackend;
class InstalledApplications;
class KeyMonitor;
class LoginItems;
class LanguageManager;
class KeyValueStore;
class Logger;
class MenuBarWindows;
class DesktopAppearance;
class DriveKeyFiles;
class ExecGate;
class InstallSecret;
class MountChanges;
class Notifier;
class OverlayWindows;
class PowerEvents;
class ProtectedAppsManager;
class ProtectedDrivesManager;
class RunRecord;
class Scheduler;
class StatusItem;
class Screens;
class SelfActivation;
class SettingsWindows;
class UpdateWindow;
class Updater;
class VolumeSource;
class Workspace;

// What the lock overlays show comes from the program's own stores and texts, which the delegate
// makes; so the overlay windows are made by the delegate through this factory.
struct OverlayViewServices {
    const ProtectedAppsManager& apps;
    const ProtectedDrivesManager& drives;
    LanguageManager& language;
};
using OverlayWindowsFactory =
    std::function<std::unique_ptr<OverlayWindows>(const OverlayViewServices&)>;
// The tray's windows look their texts up in the delegate's language manager.
using MenuBarWindowsFactory = std::function<std::unique_ptr<MenuBarWindows>(LanguageManager&)>;

// The settings and update windows show the program's texts, so they too are made by the delegate.
using SettingsWindowsFactory = std::function<std::unique_ptr<SettingsWindows>(LanguageManager&)>;
using UpdateWindowFactory = std::function<std::unique_ptr<UpdateWindow>(LanguageManager&)>;

// Everything the program asks of the operating system; real adapters in the program, fakes in
// tests. Filled by name (designated initializers), in this order.
struct Ports {
    Scheduler& scheduler;
    KeyValueStore& store;
    VolumeSource& volumes;
    Logger& logger;
    Notifier& notifier;
    PowerEvents& powerEvents;
    AppIconSource& appIcons;
    HotKeyBackend& hotKeys;
    AuthBackend& auth;
    Workspace& workspace;
    Screens& screens;
    OverlayWindowsFactory makeOverlayWindows;
    KeyMonitor& keyMonitor;
    SelfActivation& selfActivation;
    StatusItem& statusItem;
    MenuBarWindowsFactory makeMenuBarWindows;
    DesktopAppearance& appearance;
    ApplicationBus& applicationBus;
    OnboardingWindowFactory makeOnboardingWindow;
    LoginItems& loginItems;
    SettingsWindowsFactory makeSettingsWindows;
    Updater& updater;
    UpdateWindowFactory makeUpdateWindow;
    MountChanges& mountChanges;
    InstalledApplications& installedApps;
    DriveKeyFiles& driveKeys;
    InstallSecret& installSecret;
    ExecGate& execGate;
    RunRecord& runRecord;
};
