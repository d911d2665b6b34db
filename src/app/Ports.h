#pragma once

class AuthBackend;
class HotKeyBackend;
class KeyValueStore;
class Logger;
class Scheduler;
class VolumeSource;

// Everything the program asks of the operating system; real adapters in the program, fakes in
// tests.
struct Ports {
    Scheduler& scheduler;
    KeyValueStore& store;
    VolumeSource& volumes;
    Logger& logger;
    HotKeyBackend& hotKeys;
    AuthBackend& auth;
};
