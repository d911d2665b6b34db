#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>
#include <QTimer>
#include <map>
#include <xcb/xcb.h>

class Logger;
struct _XCBKeySymbols;

// Keeps every key from the other programs while a lock card shows: the first card takes the
// input focus and Velmora holds an active keyboard grab on the root window until the last card
// goes; then the focus returns to the window that had it. The grab reports each key to the root
// window, where X11HotKeyBackend still finds the panic key. Keys typed meanwhile are dropped and
// counted, one log line per locked application. Without an X connection it does nothing.
class X11KeyboardGrab : public QObject, public QAbstractNativeEventFilter {
public:
    // `connection` is Qt's connection to the X server, or null when there is none.
    X11KeyboardGrab(xcb_connection_t* connection, Logger& logger);
    ~X11KeyboardGrab() override;

    X11KeyboardGrab(const X11KeyboardGrab&) = delete;
    X11KeyboardGrab& operator=(const X11KeyboardGrab&) = delete;

    // A card locking `appName` shows in `card` (already mapped).
    void hold(const QString& appName, xcb_window_t card);
    // One of that application's cards went.
    void release(const QString& appName);
    bool isGrabbed() const { return m_grabbed; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Holder {
        int cards = 0;
        int keptKeys = 0;
    };

    void start(xcb_window_t card);
    void stop();
    void tryGrab();
    bool isModifier(xcb_keycode_t keycode, quint16 state) const;

    xcb_connection_t* m_connection;
    Logger& m_logger;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_window_t m_previousFocus = XCB_WINDOW_NONE;
    _XCBKeySymbols* m_symbols = nullptr;
    std::map<QString, Holder> m_holders;
    QTimer m_retry;
    int m_attempts = 0;
    bool m_grabbed = false;
};
