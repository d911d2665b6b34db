#pragma once

#include "ports/HotKeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <map>
#include <xcb/xcb.h>

class Logger;

// Global hot keys on X11: a passive key grab on the root window for each registration, also with
// NumLock and CapsLock held so the key works whatever their state. Presses and releases arrive
// through Qt's own X connection and are delivered on the main thread. Without an X connection
// (Wayland, offscreen) every registration fails and one log line says why.
class X11HotKeyBackend : public HotKeyBackend, public QAbstractNativeEventFilter {
public:
    // `connection` is Qt's connection to the X server, or null when there is none.
    X11HotKeyBackend(Logger& logger, xcb_connection_t* connection);
    ~X11HotKeyBackend() override;

    X11HotKeyBackend(const X11HotKeyBackend&) = delete;
    X11HotKeyBackend& operator=(const X11HotKeyBackend&) = delete;

    // The X connection of the running Qt application; null unless it runs on X11.
    static xcb_connection_t* qtConnection();

    std::optional<Handle> registerHotKey(quint32 carbonKeyCode, quint32 carbonModifiers,
                                         HotKeyID hotKeyID) override;
    void unregisterHotKey(Handle handle) override;
    void setEventHandler(EventHandler handler) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab {
        xcb_keycode_t keycode = 0;
        quint16 modifiers = 0;
        HotKeyID hotKeyID;
    };

    xcb_keycode_t keycodeFor(quint32 keysym) const;
    bool grab(xcb_keycode_t keycode, quint16 modifiers);
    void ungrab(xcb_keycode_t keycode, quint16 modifiers);
    bool isTaken(xcb_keycode_t keycode, quint16 modifiers) const;
    bool deliver(HotKeyID hotKeyID, EventKind kind);

    Logger& m_logger;
    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    bool m_unavailableLogged = false;
    Handle m_nextHandle = 1;
    std::map<Handle, Grab> m_grabs;
    // Keys whose press we delivered, so their release is delivered even if the modifiers were
    // let go first.
    std::map<xcb_keycode_t, HotKeyID> m_held;
    EventHandler m_handler;
};
