#pragma once

#include "ports/HotKeyBackend.h"

#include <memory>

class DesktopSession;
class Logger;

// Picks the global shortcut service of the running session: on Wayland sway's IPC where sway
// runs, else the desktop portal (X11 grabs there only see keys typed into X windows); on X11 key
// grabs.
class HotKeyBackendSelector {
public:
    // Needs the QGuiApplication already made.
    static std::unique_ptr<HotKeyBackend> forSession(const DesktopSession& session, Logger& logger);
};
