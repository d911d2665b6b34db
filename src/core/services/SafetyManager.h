#pragma once

#include "hotkey/HotKey.h"

#include <functional>
#include <memory>

class HotKeysController;
class Logger;

// Keeps the user able to recover: a fixed system-wide panic key that dismisses every lock
// overlay.
class SafetyManager {
public:
    // Registers the panic key at once; it stays registered for the manager's lifetime.
    SafetyManager(HotKeysController& hotKeys, Logger& logger);

    // Ctrl+Alt+Super+Shift+U: stored as U (32) with command, option, control and shift (0x1B00).
    static KeyCombo panicKeyCombo();

    // The panic key's path, also taken by routes other than the key itself (a request over
    // the session bus from `velmora --panic`).
    void triggerPanic();

    // Called on every press of the panic key; the manager itself closes nothing.
    std::function<void()> onPanicKeyPressed;

private:
    void setupPanicKey();

    HotKeysController& m_hotKeys;
    Logger& m_logger;
    std::unique_ptr<HotKey> m_panicHotKey;
};
