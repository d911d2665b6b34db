#include "theme/WindowBlurBehind.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <xcb/xcb.h>

WindowBlurBehind::WindowBlurBehind(QQuickItem* parent)
    : QQuickItem(parent) {
    connect(this, &QQuickItem::windowChanged, this, &WindowBlurBehind::apply);
}

void WindowBlurBehind::setActive(bool active) {
    if (active == m_active)
        return;
    m_active = active;
    emit activeChanged();
    apply();
}

void WindowBlurBehind::apply() {
    // Other platforms (offscreen among them) may offer the X11 interface without a connection.
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    QQuickWindow* target = window();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !target)
        return;
    static const char name[] = "_KDE_NET_WM_BLUR_BEHIND_REGION";
    const auto cookie = xcb_intern_atom(connection, false, sizeof(name) - 1, name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return;
    const auto id = static_cast<xcb_window_t>(target->winId());
    // An empty region means the whole window.
    if (m_active)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, reply->atom, XCB_ATOM_CARDINAL,
                            32, 0, nullptr);
    else
        xcb_delete_property(connection, id, reply->atom);
    xcb_flush(connection);
    free(reply);
}
