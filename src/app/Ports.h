#pragma once

class AppIconSource;
class AuthBackend;
class HotKeyBackend;
class KeyMonitor;
class KeyValueStore;
class Logger;
class Notifier;
class OverlayWindows;
class PowerEvents;
class Scheduler;
class Screens;
class SelfActivation;
class VolumeSource;
class Workspace;

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
    OverlayWindows& overlayWindows;
    KeyMonitor& keyMonitor;
    SelfActivation& selfActivation;
};
