#pragma once

class KeyValueStore;
class Logger;
class Scheduler;
class VolumeSource;
class Workspace;

// Everything the program asks of the operating system; real adapters in the program, fakes in
// tests.
struct Ports {
    Scheduler& scheduler;
    KeyValueStore& store;
    VolumeSource& volumes;
    Workspace& workspace;
    Logger& logger;
};
