#pragma once

#include "ports/OverlayCards.h"

#include <QRect>
#include <memory>

class Logger;
class QQmlEngine;
class QQuickItem;
class QQuickRenderControl;
class QQuickWindow;
class WaylandConnection;
class WaylandScreens;
class WaylandShmBuffers;
struct wl_callback;
struct wl_compositor;
struct wl_output;
struct wl_shm;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;

// One output's lock overlay on a Wayland compositor with layer-shell: a surface on the overlay
// layer, above full-screen windows, stretched over the whole output by the compositor; one of
// them takes the keyboard from every window while it shows. The card is the same Qt Quick view as
// on X11, drawn offscreen by the software renderer into shared memory, again only when it changed
// and the compositor has shown the previous frame. Pointer events reach it through WaylandPointer.
class LayerShellOverlayWindow : public OverlayWindow {
public:
    struct Globals {
        WaylandConnection& connection;
        WaylandScreens& screens;
        wl_compositor* compositor = nullptr;
        wl_shm* shm = nullptr;
        zwlr_layer_shell_v1* layerShell = nullptr;
    };

    // `keyboard` is set for the one window that takes the keyboard; it keeps it until it goes.
    LayerShellOverlayWindow(Globals globals, OverlayCard card, const QRect& screen, Logger& logger,
                            std::shared_ptr<void> keyboard = nullptr);
    ~LayerShellOverlayWindow() override;

    // Moves to the output at `screen` when that is another one.
    void setGeometry(const QRect& screen) override;
    void close() override;

    QQuickWindow& window() { return *m_window; }
    // The card's view inside; null when it did not load.
    QQuickItem* view() const { return m_view.get(); }
    int framesCommitted() const { return m_framesCommitted; }
    // The shared memory its surface holds.
    std::size_t bufferBytes() const;

    void configure(std::uint32_t serial, QSize size);
    void surfaceClosed();
    void frameShown();

private:
    void createSurface(wl_output* output);
    void destroySurface();
    void scheduleRender();
    void render();

    Globals m_globals;
    // Declared first: goes last, after everything it made.
    std::shared_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickRenderControl> m_renderControl;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QObject> m_model;
    std::unique_ptr<QQuickItem> m_view;
    std::unique_ptr<WaylandShmBuffers> m_buffers;
    wl_output* m_output = nullptr;
    wl_surface* m_surface = nullptr;
    zwlr_layer_surface_v1* m_layerSurface = nullptr;
    wl_callback* m_frame = nullptr;
    bool m_configured = false;
    bool m_dirty = true;
    bool m_renderQueued = false;
    bool m_rendering = false;
    int m_framesCommitted = 0;
    std::shared_ptr<void> m_keyboard;
};
