#include "x11/WindowActivator.h"

#include "x11/XcbSession.h"

#include <xcb/xcb.h>

namespace {

// Source indication "pager": window managers honour it without focus-stealing prevention.
constexpr std::uint32_t sourcePager = 2;

} // namespace

WindowActivator::WindowActivator(XcbSession& session)
    : m_session(session) {}

bool WindowActivator::activate(pid_t pid) {
    for (const std::uint32_t window :
         m_session.property(m_session.root(), m_session.clientListAtom())) {
        if (m_session.firstValue(window, m_session.wmPidAtom()) != static_cast<std::uint32_t>(pid))
            continue;
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = m_session.activeWindowAtom();
        message.data.data32[0] = sourcePager;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_session.connection(), 0, m_session.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_session.connection());
        return true;
    }
    return false;
}
