#pragma once

#include <QByteArray>
#include <xcb/xcb.h>

// The X11 window-manager facts a lock overlay needs: which window manager runs, and the hints
// that keep a managed window on every desktop and out of task lists.
class X11OverlayHints {
public:
    // The name the running window manager gives itself (_NET_WM_NAME of the
    // _NET_SUPPORTING_WM_CHECK window); empty when none announces itself.
    static QByteArray windowManagerName(xcb_connection_t* connection);

    // Whether an unmanaged (override-redirect) window is safe here. GNOME's window manager has
    // crashed on full-screen override-redirect windows on X11, so there the window stays managed.
    // Through XWayland such windows are the compositor's own surfaces, above full-screen ones,
    // and the only way above them where the compositor offers no layer-shell.
    static bool mayBypassWindowManager(const QByteArray& windowManagerName, bool throughXWayland);

    // Before the window is mapped: on every desktop (_NET_WM_DESKTOP 0xFFFFFFFF and the sticky
    // state), above other windows, and left out of task bars and pagers. Keeps the states the
    // window already asks for.
    static void keepOnEveryDesktop(xcb_connection_t* connection, xcb_window_t window);

    // Asks a compositor that blurs behind windows (KWin) to blur behind the whole window. False
    // when no running compositor announced that it does: then nothing is blurred.
    static bool blurBehind(xcb_connection_t* connection, xcb_window_t window);

private:
    static xcb_atom_t atom(xcb_connection_t* connection, const char* name);
};
