#pragma once

#include <functional>
#include <memory>

class AppIconSource;
class AuthBackend;
class HotKeyBackend;
class KeyMonitor;
class LanguageManager;
class KeyValueStore;
class Logger;
class MountChanges;
class Notifier;
class OverlayWindows;
class PowerEvents;
class ProtectedAppsManager;
class ProtectedDrivesManager;
class Scheduler;
class Screens;
class SelfActivation;
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

// Everything the program asks of the operating system; real adapters in the program, fakes in
// tests.
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
    MountChanges& mountChanges;
};
