#include "x11/XcbSession.h"

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

// Large enough for any client list; properties are read in one request.
constexpr std::uint32_t maximumValues = 1 << 16;

} // namespace

std::unique_ptr<XcbSession> XcbSession::open(const QByteArray& displayName) {
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<XcbSession>(new XcbSession(connection, screens.data->root));
}

XcbSession::XcbSession(xcb_connection_t* connection, Window root)
    : m_connection(connection)
    , m_root(root)
    , m_activeWindow(intern("_NET_ACTIVE_WINDOW"))
    , m_wmPid(intern("_NET_WM_PID"))
    , m_clientList(intern("_NET_CLIENT_LIST")) {}

XcbSession::~XcbSession() {
    xcb_disconnect(m_connection);
}

int XcbSession::fileDescriptor() const {
    return xcb_get_file_descriptor(m_connection);
}

std::vector<std::uint32_t> XcbSession::property(Window window, Atom atom) const {
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        m_connection, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, maximumValues);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(m_connection, cookie, nullptr);
    if (!reply)
        return {};
    std::vector<std::uint32_t> values;
    if (reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

std::optional<std::uint32_t> XcbSession::firstValue(Window window, Atom atom) const {
    const std::vector<std::uint32_t> values = property(window, atom);
    if (values.empty())
        return std::nullopt;
    return values.front();
}

XcbSession::Atom XcbSession::intern(const char* name) const {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const Atom atom = reply->atom;
    std::free(reply);
    return atom;
}
