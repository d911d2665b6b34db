#pragma once

#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <optional>

// The system's global shortcut service: a key code plus a Carbon modifier mask, registered under
// a caller-chosen identifier, reported back when pressed and released anywhere on the desktop.
class HotKeyBackend {
public:
    using Handle = std::uint64_t;

    struct HotKeyID {
        quint32 signature = 0;
        quint32 id = 0;
        bool operator==(const HotKeyID&) const = default;
    };

    enum class EventKind { pressed, released };

    struct Event {
        HotKeyID hotKeyID;
        EventKind kind = EventKind::pressed;
    };

    // Returns whether the event was handled; runs on the main thread.
    using EventHandler = std::function<bool(const Event& event)>;

    virtual ~HotKeyBackend() = default;

    // None when the system refuses the combination (taken, unknown key, no service).
    virtual std::optional<Handle> registerHotKey(quint32 carbonKeyCode, quint32 carbonModifiers,
                                                 HotKeyID hotKeyID) = 0;
    virtual void unregisterHotKey(Handle handle) = 0;
    // Replaces the single receiver of every event; an empty handler stops delivery.
    virtual void setEventHandler(EventHandler handler) = 0;
};
