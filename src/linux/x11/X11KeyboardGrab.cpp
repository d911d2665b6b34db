#include "x11/X11KeyboardGrab.h"

#include "ports/Logger.h"

#include <QCoreApplication>
#include <cstdlib>
#include <utility>
#include <xcb/xcb_keysyms.h>

namespace {

// Another program's grab (a menu, a screen shot tool) usually ends within a moment.
constexpr int retryIntervalMs = 50;
constexpr int maximumAttempts = 20;

xcb_window_t firstRoot(xcb_connection_t* connection) {
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_window_t currentFocus(xcb_connection_t* connection) {
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const xcb_window_t focus = reply ? reply->focus : xcb_window_t(XCB_WINDOW_NONE);
    std::free(reply);
    return focus;
}

// CurrentTime, so a focus change the window manager made after our last event is not newer
// than ours. The window may be gone (Force Quit): that error is expected and dropped.
void focus(xcb_connection_t* connection, xcb_window_t window) {
    std::free(xcb_request_check(
        connection, xcb_set_input_focus_checked(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window,
                                                XCB_CURRENT_TIME)));
}

} // namespace

X11KeyboardGrab::X11KeyboardGrab(xcb_connection_t* connection, Logger& logger)
    : m_connection(connection)
    , m_logger(logger) {
    if (m_connection)
        m_root = firstRoot(m_connection);
    m_retry.setInterval(retryIntervalMs);
    QObject::connect(&m_retry, &QTimer::timeout, this, [this] { tryGrab(); });
}

X11KeyboardGrab::~X11KeyboardGrab() {
    if (!m_holders.empty())
        stop();
}

void X11KeyboardGrab::hold(const QString& appName, xcb_window_t card) {
    if (!m_connection || m_root == XCB_WINDOW_NONE)
        return;
    const bool first = m_holders.empty();
    ++m_holders[appName].cards;
    if (first)
        start(card);
}

void X11KeyboardGrab::release(const QString& appName) {
    const auto found = m_holders.find(appName);
    if (found == m_holders.end())
        return;
    if (--found->second.cards > 0)
        return;
    if (found->second.keptKeys > 0)
        m_logger.log(QStringLiteral("[Velmora] Kept %1 keys from %2 while it was locked")
                         .arg(found->second.keptKeys)
                         .arg(appName));
    m_holders.erase(found);
    if (m_holders.empty())
        stop();
}

bool X11KeyboardGrab::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (m_holders.empty() || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
    // Shift or Control alone types nothing.
    if (isModifier(key->detail, key->state))
        return false;
    for (auto& [appName, holder] : m_holders)
        ++holder.keptKeys;
    // Passed on: a press for the root window goes nowhere in Qt, and the hot keys still need it.
    return false;
}

void X11KeyboardGrab::start(xcb_window_t card) {
    m_previousFocus = currentFocus(m_connection);
    m_symbols = xcb_key_symbols_alloc(m_connection);
    // Installed last, so it sees each key before a hot key takes it: the count is the same
    // whichever was made first.
    if (auto* application = QCoreApplication::instance())
        application->installNativeEventFilter(this);
    focus(m_connection, card);
    m_attempts = 0;
    tryGrab();
}

void X11KeyboardGrab::stop() {
    if (auto* application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
    m_retry.stop();
    if (m_grabbed)
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
    m_grabbed = false;
    // None and PointerRoot are no windows to give the focus back to.
    if (m_previousFocus > XCB_INPUT_FOCUS_POINTER_ROOT)
        focus(m_connection, m_previousFocus);
    m_previousFocus = XCB_WINDOW_NONE;
    xcb_flush(m_connection);
    if (m_symbols)
        xcb_key_symbols_free(std::exchange(m_symbols, nullptr));
}

void X11KeyboardGrab::tryGrab() {
    // owner_events off: every key goes to the root window, also those typed over our own cards.
    xcb_grab_keyboard_reply_t* reply =
        xcb_grab_keyboard_reply(m_connection,
                                xcb_grab_keyboard(m_connection, 0, m_root, XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr);
    const quint8 status = reply ? reply->status : quint8(XCB_GRAB_STATUS_FROZEN);
    std::free(reply);
    m_grabbed = status == XCB_GRAB_STATUS_SUCCESS;
    if (m_grabbed) {
        m_retry.stop();
        return;
    }
    if (++m_attempts < maximumAttempts) {
        m_retry.start();
        return;
    }
    m_retry.stop();
    m_logger.log(QStringLiteral("[Velmora] Could not take the keyboard while the lock card shows: "
                                "another program holds it"));
}

bool X11KeyboardGrab::isModifier(xcb_keycode_t keycode, quint16 state) const {
    if (!m_symbols)
        return false;
    return xcb_is_modifier_key(xcb_key_symbols_get_keysym(m_symbols, keycode, state & 1)) != 0;
}
