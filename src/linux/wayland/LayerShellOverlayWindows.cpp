#include "wayland/LayerShellOverlayWindows.h"

#include "ports/Logger.h"
#include "wayland/LayerShellOverlayWindow.h"
#include "wayland/WaylandConnection.h"

#include "wlr-layer-shell-unstable-v1-client.h"
#include <wayland-client.h>

LayerShellOverlayWindows::LayerShellOverlayWindows(WaylandConnection& connection,
                                                   WaylandScreens& screens, OverlayCards& cards,
                                                   Logger& logger)
    : m_connection(connection)
    , m_screens(screens)
    , m_logger(logger)
    , m_cards(cards)
    , m_pointer(connection)
    // Version 4 brings damage in buffer coordinates.
    , m_compositor(connection.bindFirst<wl_compositor>(wl_compositor_interface, 4))
    , m_shm(connection.bindFirst<wl_shm>(wl_shm_interface, 1))
    , m_layerShell(connection.bindFirst<zwlr_layer_shell_v1>(zwlr_layer_shell_v1_interface, 3)) {
    m_pointer.setCursorSource(m_compositor, m_shm);
    QObject::connect(&connection, &WaylandConnection::lost, &m_pointer, [this] {
        m_logger.log(QStringLiteral(
            "[Velmora] Lost the connection to the Wayland compositor; lock windows cannot show"));
    });
}

LayerShellOverlayWindows::~LayerShellOverlayWindows() {
    if (m_layerShell)
        zwlr_layer_shell_v1_destroy(m_layerShell);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
}

std::unique_ptr<OverlayWindow> LayerShellOverlayWindows::create(const QRect& screen,
                                                                OverlayContent content) {
    std::shared_ptr<void> keyboard;
    if (m_keyboardHolder.expired()) {
        keyboard = std::make_shared<int>(0);
        m_keyboardHolder = keyboard;
    }
    return std::make_unique<LayerShellOverlayWindow>(
        LayerShellOverlayWindow::Globals{m_connection, m_screens, m_compositor, m_shm,
                                         m_layerShell},
        m_cards.make(std::move(content)), screen, m_logger, std::move(keyboard));
}
