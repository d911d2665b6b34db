#pragma once

#include "ports/OverlayCards.h"
#include "wayland/WaylandPointer.h"

#include <memory>

class Logger;
class WaylandConnection;
class WaylandScreens;
struct wl_compositor;
struct wl_shm;
struct zwlr_layer_shell_v1;

// Lock overlays as layer-shell surfaces on the program's own Wayland connection, one per output
// of `screens`, with the same cards as the X11 windows. Only one surface at a time asks for the
// keyboard, as the protocol leaves it to the compositor which of several would get it.
class LayerShellOverlayWindows : public OverlayWindows {
public:
    LayerShellOverlayWindows(WaylandConnection& connection, WaylandScreens& screens,
                             OverlayCards& cards, Logger& logger);
    ~LayerShellOverlayWindows() override;

    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override;

private:
    WaylandConnection& m_connection;
    WaylandScreens& m_screens;
    Logger& m_logger;
    OverlayCards& m_cards;
    WaylandPointer m_pointer;
    wl_compositor* m_compositor = nullptr;
    wl_shm* m_shm = nullptr;
    zwlr_layer_shell_v1* m_layerShell = nullptr;
    // Alive while a window holds the keyboard.
    std::weak_ptr<void> m_keyboardHolder;
};
