#include "x11/X11HotKeyBackend.h"

#include "ports/Logger.h"
#include "x11/X11KeySymbols.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <array>
#include <cstdlib>
#include <xcb/xcb_keysyms.h>

namespace {

constexpr quint16 numLockMask = XCB_MOD_MASK_2;
constexpr quint16 capsLockMask = XCB_MOD_MASK_LOCK;
// Every lock state a registered combination must also work in.
constexpr std::array<quint16, 4> lockStates{0, numLockMask, capsLockMask,
                                            numLockMask | capsLockMask};
constexpr quint16 keyModifierBits = 0xFF;

xcb_window_t firstRoot(xcb_connection_t* connection) {
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

} // namespace

X11HotKeyBackend::X11HotKeyBackend(Logger& logger, xcb_connection_t* connection)
    : m_logger(logger)
    , m_connection(connection) {
    if (m_connection)
        m_root = firstRoot(m_connection);
    if (auto* application = QCoreApplication::instance())
        application->installNativeEventFilter(this);
}

X11HotKeyBackend::~X11HotKeyBackend() {
    if (auto* application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
    for (const auto& [handle, registered] : m_grabs)
        ungrab(registered.keycode, registered.modifiers);
}

xcb_connection_t* X11HotKeyBackend::qtConnection() {
    const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application)
        return nullptr;
    const auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

std::optional<HotKeyBackend::Handle> X11HotKeyBackend::registerHotKey(quint32 carbonKeyCode,
                                                                      quint32 carbonModifiers,
                                                                      HotKeyID hotKeyID) {
    if (!m_connection || m_root == XCB_WINDOW_NONE) {
        if (!m_unavailableLogged) {
            m_logger.log(
                QStringLiteral("[Velmora] Global hot keys need an X11 session; none registered"));
            m_unavailableLogged = true;
        }
        return std::nullopt;
    }
    const auto keysym = X11KeySymbols::keysymForCarbonKeyCode(carbonKeyCode);
    const xcb_keycode_t keycode = keysym ? keycodeFor(*keysym) : xcb_keycode_t(XCB_NO_SYMBOL);
    const quint16 modifiers = X11KeySymbols::modifierMaskForCarbonFlags(carbonModifiers);
    // A second grab of our own would silently replace the first, so refuse it like a taken one.
    if (keycode == XCB_NO_SYMBOL || isTaken(keycode, modifiers) || !grab(keycode, modifiers))
        return std::nullopt;
    const Handle handle = m_nextHandle++;
    m_grabs.emplace(handle, Grab{keycode, modifiers, hotKeyID});
    return handle;
}

void X11HotKeyBackend::unregisterHotKey(Handle handle) {
    const auto found = m_grabs.find(handle);
    if (found == m_grabs.end())
        return;
    ungrab(found->second.keycode, found->second.modifiers);
    m_held.erase(found->second.keycode);
    m_grabs.erase(found);
}

void X11HotKeyBackend::setEventHandler(EventHandler handler) {
    m_handler = std::move(handler);
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || m_grabs.empty())
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const quint8 type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (key->event != m_root)
        return false;
    if (type == XCB_KEY_RELEASE) {
        const auto held = m_held.find(key->detail);
        if (held == m_held.end())
            return false;
        const HotKeyID hotKeyID = held->second;
        m_held.erase(held);
        return deliver(hotKeyID, EventKind::released);
    }
    const quint16 modifiers = key->state & keyModifierBits & ~(numLockMask | capsLockMask);
    for (const auto& [handle, registered] : m_grabs) {
        if (registered.keycode == key->detail && registered.modifiers == modifiers) {
            m_held[key->detail] = registered.hotKeyID;
            return deliver(registered.hotKeyID, EventKind::pressed);
        }
    }
    return false;
}

xcb_keycode_t X11HotKeyBackend::keycodeFor(quint32 keysym) const {
    // Read afresh each time, so a changed keyboard layout is honoured at the next registration.
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
    if (!symbols)
        return XCB_NO_SYMBOL;
    xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
    const xcb_keycode_t keycode = keycodes ? keycodes[0] : xcb_keycode_t(XCB_NO_SYMBOL);
    std::free(keycodes);
    xcb_key_symbols_free(symbols);
    return keycode;
}

bool X11HotKeyBackend::grab(xcb_keycode_t keycode, quint16 modifiers) {
    std::array<xcb_void_cookie_t, lockStates.size()> cookies{};
    for (std::size_t index = 0; index < lockStates.size(); ++index) {
        // owner_events off: the event goes to the root window even when one of our own windows
        // has the focus, so it is never mistaken for ordinary typing.
        cookies[index] =
            xcb_grab_key_checked(m_connection, 0, m_root, modifiers | lockStates[index], keycode,
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool granted = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        // BadAccess: another client holds this combination.
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            granted = false;
            std::free(error);
        }
    }
    if (!granted)
        ungrab(keycode, modifiers);
    return granted;
}

void X11HotKeyBackend::ungrab(xcb_keycode_t keycode, quint16 modifiers) {
    std::array<xcb_void_cookie_t, lockStates.size()> cookies{};
    for (std::size_t index = 0; index < lockStates.size(); ++index)
        cookies[index] =
            xcb_ungrab_key_checked(m_connection, keycode, m_root, modifiers | lockStates[index]);
    // Waiting for the replies makes the key free for others as soon as this returns.
    for (const xcb_void_cookie_t cookie : cookies)
        std::free(xcb_request_check(m_connection, cookie));
}

bool X11HotKeyBackend::isTaken(xcb_keycode_t keycode, quint16 modifiers) const {
    for (const auto& [handle, registered] : m_grabs) {
        if (registered.keycode == keycode && registered.modifiers == modifiers)
            return true;
    }
    return false;
}

bool X11HotKeyBackend::deliver(HotKeyID hotKeyID, EventKind kind) {
    // A copy: the handler may replace itself while it runs.
    const EventHandler handler = m_handler;
    return handler && handler(Event{hotKeyID, kind});
}
