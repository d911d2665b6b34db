#include "session/DesktopSession.h"

#include "ports/Logger.h"
#include "wayland/WaylandConnection.h"
#include "x11/XcbSession.h"

#include <QtGlobal>

DesktopSession::DesktopSession()
    : m_x11Display(qgetenv("DISPLAY"))
    , m_waylandDisplay(qgetenv("WAYLAND_DISPLAY"))
    , m_swaySocket(qEnvironmentVariable("SWAYSOCK")) {}

bool DesktopSession::isX11Reachable() const {
    return !m_x11Display.isEmpty() && XcbSession::open(m_x11Display);
}

std::unique_ptr<WaylandConnection> DesktopSession::openWayland(Logger& logger) const {
    if (!isWayland())
        return nullptr;
    auto connection = WaylandConnection::open(m_waylandDisplay);
    if (!connection)
        logger.log(QStringLiteral("[Velmora] Cannot connect to the Wayland compositor %1")
                       .arg(QString::fromLocal8Bit(m_waylandDisplay)));
    return connection;
}

// Lock windows above full-screen ones on Wayland need the compositor's layer-shell; elsewhere
// (GNOME) X11 override-redirect windows through XWayland stack above them instead.
bool DesktopSession::offersLayerShell(const WaylandConnection* wayland, Logger& logger) {
    if (!wayland)
        return false;
    if (wayland->find(QStringLiteral("zwlr_layer_shell_v1")))
        return true;
    logger.log(QStringLiteral(
        "[Velmora] The compositor offers no layer-shell; lock windows use X11 (XWayland)"));
    return false;
}
