#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class Logger;
class WaylandConnection;

// The desktop session the program runs in, read once from the environment: the X display, the
// Wayland compositor and sway's IPC socket. Everything that depends on the kind of session asks
// this one object instead of the environment.
class DesktopSession {
public:
    // Reads DISPLAY, WAYLAND_DISPLAY and SWAYSOCK; connects to nothing yet.
    DesktopSession();

    const QByteArray& x11Display() const { return m_x11Display; }
    const QByteArray& waylandDisplay() const { return m_waylandDisplay; }
    // Empty outside sway.
    const QString& swaySocket() const { return m_swaySocket; }
    bool isWayland() const { return !m_waylandDisplay.isEmpty(); }
    // Tries a connection of its own, so it may be asked before Qt picks its platform.
    bool isX11Reachable() const;

    // The program's own connection to the compositor; null outside a Wayland session, or when the
    // compositor refuses (logged). Needs Qt's application made: the connection is read from its
    // event loop.
    std::unique_ptr<WaylandConnection> openWayland(Logger& logger) const;
    // Whether lock windows can be layer-shell surfaces on this session's `wayland` connection
    // (null: not a Wayland session); a compositor without it is logged.
    static bool offersLayerShell(const WaylandConnection* wayland, Logger& logger);

private:
    QByteArray m_x11Display;
    QByteArray m_waylandDisplay;
    QString m_swaySocket;
};
