#pragma once

#include "platform/OverlayWindows.h"
#include "platform/linux/QuickOverlayWindows.h"
#include "platform/linux/WaylandPointer.h"

class WaylandConnection;
class WaylandScreens;
struct wl_compositor;
struct wl_shm;
struct zwlr_layer_shell_v1;

// Lock overlays as layer-shell surfaces on the program's own Wayland connection, one per output
// of `screens`, with the same cards and the same engine lifetime as the X11 windows.
class LayerShellOverlayWindows : public OverlayWindows {
public:
    LayerShellOverlayWindows(WaylandConnection& connection, WaylandScreens& screens,
                             QuickOverlayWindows::Dependencies dependencies);
    ~LayerShellOverlayWindows() override;

    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override;

    // The engine of the cards showing now; null when none shows.
    std::shared_ptr<QQmlEngine> engine() const { return m_cards.engine(); }

private:
    WaylandConnection& m_connection;
    WaylandScreens& m_screens;
    Logger& m_logger;
    QuickOverlayWindows m_cards;
    WaylandPointer m_pointer;
    wl_compositor* m_compositor = nullptr;
    wl_shm* m_shm = nullptr;
    zwlr_layer_shell_v1* m_layerShell = nullptr;
};
