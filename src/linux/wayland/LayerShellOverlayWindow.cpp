#include "wayland/LayerShellOverlayWindow.h"

#include "ports/Logger.h"
#include "wayland/WaylandConnection.h"
#include "wayland/WaylandScreens.h"
#include "wayland/WaylandShmBuffers.h"

#include "wlr-layer-shell-unstable-v1-client.h"
#include <QImage>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickRenderControl>
#include <QQuickWindow>
#include <QTimer>
#include <wayland-client.h>

namespace {

LayerShellOverlayWindow* windowOf(void* data) {
    return static_cast<LayerShellOverlayWindow*>(data);
}

const zwlr_layer_surface_v1_listener layerSurfaceListener = {
    [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t width,
       std::uint32_t height) {
        windowOf(data)->configure(serial, QSize(static_cast<int>(width), static_cast<int>(height)));
    },
    [](void* data, zwlr_layer_surface_v1*) { windowOf(data)->surfaceClosed(); },
};

const wl_callback_listener frameListener = {
    [](void* data, wl_callback*, std::uint32_t) { windowOf(data)->frameShown(); },
};

} // namespace

LayerShellOverlayWindow::LayerShellOverlayWindow(Globals globals, OverlayCard card,
                                                 const QRect& screen, Logger& logger,
                                                 std::shared_ptr<void> keyboard)
    : m_globals(globals)
    , m_engine(std::move(card.engine))
    , m_renderControl(std::make_unique<QQuickRenderControl>())
    , m_window(std::make_unique<QQuickWindow>(m_renderControl.get()))
    , m_model(std::move(card.model))
    , m_buffers(std::make_unique<WaylandShmBuffers>(globals.shm))
    , m_keyboard(std::move(keyboard)) {
    m_window->setColor(Qt::transparent);
    m_window->resize(screen.size());
    m_view = card.loadView(*m_window, m_model.get());
    if (m_view)
        m_view->setSize(m_window->size());
    // The software renderer draws into the grabbed image without any graphics device to set up.
    if (m_window->rendererInterface()->graphicsApi() != QSGRendererInterface::Software &&
        !m_renderControl->initialize())
        logger.log(QStringLiteral("[Velmora] Lock overlay view cannot be drawn offscreen"));
    // Every change of the scene, the card's entrance animation included, asks for a new frame.
    QObject::connect(m_renderControl.get(), &QQuickRenderControl::renderRequested, m_window.get(),
                     [this] { scheduleRender(); });
    QObject::connect(m_renderControl.get(), &QQuickRenderControl::sceneChanged, m_window.get(),
                     [this] { scheduleRender(); });
    createSurface(m_globals.screens.outputAt(screen));
}

LayerShellOverlayWindow::~LayerShellOverlayWindow() {
    destroySurface();
    // The view reads the model until it is gone.
    m_view.reset();
}

void LayerShellOverlayWindow::setGeometry(const QRect& screen) {
    wl_output* output = m_globals.screens.outputAt(screen);
    if (!output || (output == m_output && m_surface))
        return;
    destroySurface();
    createSurface(output);
}

void LayerShellOverlayWindow::close() {
    destroySurface();
}

std::size_t LayerShellOverlayWindow::bufferBytes() const {
    return m_buffers->bytes();
}

void LayerShellOverlayWindow::createSurface(wl_output* output) {
    if (m_globals.connection.isLost() || !m_globals.compositor || !m_globals.layerShell)
        return;
    m_output = output;
    m_surface = wl_compositor_create_surface(m_globals.compositor);
    // WaylandPointer finds the window to give pointer events to here.
    wl_surface_set_user_data(m_surface, static_cast<QWindow*>(m_window.get()));
    m_layerSurface = zwlr_layer_shell_v1_get_layer_surface(
        m_globals.layerShell, m_surface, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "velmora-lock");
    zwlr_layer_surface_v1_add_listener(m_layerSurface, &layerSurfaceListener, this);
    zwlr_layer_surface_v1_set_anchor(
        m_layerSurface, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                            ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(m_layerSurface, 0, 0);
    // Over panels too, and pushing nothing aside.
    zwlr_layer_surface_v1_set_exclusive_zone(m_layerSurface, -1);
    // Exclusive: no key reaches the locked application, whatever has the focus beneath.
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        m_layerSurface, m_keyboard ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                   : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    wl_surface_commit(m_surface);
    m_globals.connection.flush();
}

void LayerShellOverlayWindow::destroySurface() {
    if (m_frame)
        wl_callback_destroy(std::exchange(m_frame, nullptr));
    if (m_layerSurface)
        zwlr_layer_surface_v1_destroy(std::exchange(m_layerSurface, nullptr));
    if (m_surface)
        wl_surface_destroy(std::exchange(m_surface, nullptr));
    m_configured = false;
    m_dirty = true;
}

void LayerShellOverlayWindow::configure(std::uint32_t serial, QSize size) {
    zwlr_layer_surface_v1_ack_configure(m_layerSurface, serial);
    if (!size.isEmpty() && size != m_window->size()) {
        m_window->resize(size);
        if (m_view)
            m_view->setSize(size);
    }
    m_configured = true;
    m_dirty = true;
    scheduleRender();
}

void LayerShellOverlayWindow::surfaceClosed() {
    // The output went away; the service moves or closes this window when it hears of that.
    destroySurface();
}

void LayerShellOverlayWindow::frameShown() {
    if (m_frame)
        wl_callback_destroy(std::exchange(m_frame, nullptr));
    if (m_dirty) {
        scheduleRender();
        return;
    }
    // Still: the buffer on screen is all it needs until the next change.
    m_buffers->releaseSpare();
}

void LayerShellOverlayWindow::scheduleRender() {
    // Drawing itself tells of changes; they are in the frame being drawn.
    if (m_rendering)
        return;
    m_dirty = true;
    if (!m_configured || m_frame || m_renderQueued)
        return;
    m_renderQueued = true;
    QTimer::singleShot(0, m_window.get(), [this] {
        m_renderQueued = false;
        render();
    });
}

void LayerShellOverlayWindow::render() {
    if (!m_configured || m_frame || !m_dirty)
        return;
    m_rendering = true;
    const QImage frame = m_window->grabWindow();
    m_rendering = false;
    wl_buffer* buffer = m_buffers->fill(frame);
    if (!buffer)
        return;
    m_dirty = false;
    wl_surface_attach(m_surface, buffer, 0, 0);
    wl_surface_damage_buffer(m_surface, 0, 0, frame.width(), frame.height());
    m_frame = wl_surface_frame(m_surface);
    wl_callback_add_listener(m_frame, &frameListener, this);
    wl_surface_commit(m_surface);
    m_globals.connection.flush();
    ++m_framesCommitted;
}
