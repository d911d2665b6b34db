#pragma once

class AppIconSource;
class AuthBackend;
class HotKeyBackend;
class KeyValueStore;
class Logger;
class Notifier;
class PowerEvents;
class Scheduler;
class VolumeSource;

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
};
