#include "x11/X11OverlayHints.h"

#include <QList>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
using PropertyReply = std::unique_ptr<xcb_get_property_reply_t, FreeDeleter>;

PropertyReply property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name,
                       xcb_atom_t type) {
    const auto cookie = xcb_get_property(connection, false, window, name, type, 0, 1024);
    return PropertyReply(xcb_get_property_reply(connection, cookie, nullptr));
}

constexpr std::uint32_t allDesktops = 0xFFFFFFFF;

} // namespace

xcb_atom_t X11OverlayHints::atom(xcb_connection_t* connection, const char* name) {
    const auto cookie = xcb_intern_atom(connection, false, std::strlen(name), name);
    std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QByteArray X11OverlayHints::windowManagerName(xcb_connection_t* connection) {
    if (!connection)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const PropertyReply check =
        property(connection, root, atom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (!check || check->format != 32 || xcb_get_property_value_length(check.get()) < 4)
        return {};
    const auto supporting = *static_cast<xcb_window_t*>(xcb_get_property_value(check.get()));
    const PropertyReply name = property(connection, supporting, atom(connection, "_NET_WM_NAME"),
                                        atom(connection, "UTF8_STRING"));
    if (!name || name->format != 8)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(name.get())),
                      xcb_get_property_value_length(name.get()));
}

bool X11OverlayHints::mayBypassWindowManager(const QByteArray& windowManagerName,
                                             bool throughXWayland) {
    if (throughXWayland)
        return true;
    const QByteArray name = windowManagerName.toLower();
    return !name.contains("gnome") && !name.contains("mutter");
}

void X11OverlayHints::keepOnEveryDesktop(xcb_connection_t* connection, xcb_window_t window) {
    if (!connection || window == XCB_WINDOW_NONE)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        atom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &allDesktops);

    const xcb_atom_t stateName = atom(connection, "_NET_WM_STATE");
    QList<xcb_atom_t> states;
    if (const PropertyReply current = property(connection, window, stateName, XCB_ATOM_ATOM);
        current && current->format == 32) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(current.get()));
        states = QList<xcb_atom_t>(values, values + xcb_get_property_value_length(current.get()) /
                                                        sizeof(xcb_atom_t));
    }
    for (const char* name : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE",
                             "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t state = atom(connection, name);
        if (!states.contains(state))
            states.append(state);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, stateName, XCB_ATOM_ATOM, 32,
                        states.size(), states.constData());
    xcb_flush(connection);
}

bool X11OverlayHints::blurBehind(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t region = atom(connection, "_KDE_NET_WM_BLUR_BEHIND_REGION");
    if (region == XCB_ATOM_NONE)
        return false;
    // An empty region means the whole window.
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, region, XCB_ATOM_CARDINAL, 32, 0,
                        nullptr);
    xcb_flush(connection);
    // The blur effect announces itself with the same property on the root window; the atom alone
    // only says some client once named it.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const PropertyReply announced = property(connection, root, region, XCB_GET_PROPERTY_TYPE_ANY);
    return announced && announced->type != XCB_ATOM_NONE;
}
