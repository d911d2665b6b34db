#include "wayland/WaylandPointer.h"

#include "wayland/WaylandConnection.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <linux/input-event-codes.h>
#include <wayland-client.h>
#include <wayland-cursor.h>

namespace {

WaylandPointer* pointerOf(void* data) {
    return static_cast<WaylandPointer*>(data);
}

QPointF position(wl_fixed_t x, wl_fixed_t y) {
    return {wl_fixed_to_double(x), wl_fixed_to_double(y)};
}

const wl_seat_listener seatListener = {
    [](void* data, wl_seat*, std::uint32_t capabilities) {
        pointerOf(data)->setCapabilities(capabilities);
    },
    [](void*, wl_seat*, const char*) {},
};

const wl_pointer_listener pointerListener = {
    [](void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
       wl_fixed_t y) { pointerOf(data)->enter(serial, surface, position(x, y)); },
    [](void* data, wl_pointer*, std::uint32_t, wl_surface*) { pointerOf(data)->leave(); },
    [](void* data, wl_pointer*, std::uint32_t time, wl_fixed_t x, wl_fixed_t y) {
        pointerOf(data)->move(time, position(x, y));
    },
    [](void* data, wl_pointer*, std::uint32_t, std::uint32_t time, std::uint32_t button,
       std::uint32_t state) {
        pointerOf(data)->press(time, button, state == WL_POINTER_BUTTON_STATE_PRESSED);
    },
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

Qt::MouseButton qtButton(std::uint32_t button) {
    switch (button) {
    case BTN_LEFT:
        return Qt::LeftButton;
    case BTN_RIGHT:
        return Qt::RightButton;
    case BTN_MIDDLE:
        return Qt::MiddleButton;
    default:
        return Qt::NoButton;
    }
}

} // namespace

WaylandPointer::WaylandPointer(WaylandConnection& connection, QObject* parent)
    : QObject(parent)
    , m_connection(connection) {
    bindSeat(connection.find(QString::fromLatin1(wl_seat_interface.name)));
    connect(&connection, &WaylandConnection::globalAdded, this,
            [this](std::uint32_t name, const QString& interface) {
                if (interface == QLatin1String(wl_seat_interface.name))
                    bindSeat(name);
            });
    connect(&connection, &WaylandConnection::globalRemoved, this, [this](std::uint32_t name) {
        if (name != m_seatName)
            return;
        setCapabilities(0);
        wl_seat_destroy(std::exchange(m_seat, nullptr));
        m_seatName = 0;
    });
}

WaylandPointer::~WaylandPointer() {
    setCapabilities(0);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_cursorSurface)
        wl_surface_destroy(m_cursorSurface);
    if (m_cursorTheme)
        wl_cursor_theme_destroy(m_cursorTheme);
}

void WaylandPointer::setCursorSource(wl_compositor* compositor, wl_shm* shm) {
    m_compositor = compositor;
    m_shm = shm;
}

void WaylandPointer::bindSeat(std::uint32_t name) {
    if (m_seat || !name)
        return;
    // Version 5 at most: the listener knows every pointer event up to it.
    m_seat = static_cast<wl_seat*>(m_connection.bind(name, &wl_seat_interface, 5));
    if (!m_seat)
        return;
    m_seatName = name;
    wl_seat_add_listener(m_seat, &seatListener, this);
}

void WaylandPointer::setCapabilities(std::uint32_t capabilities) {
    const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (hasPointer && !m_pointer && m_seat) {
        m_pointer = wl_seat_get_pointer(m_seat);
        wl_pointer_add_listener(m_pointer, &pointerListener, this);
        return;
    }
    if (hasPointer || !m_pointer)
        return;
    leave();
    if (wl_pointer_get_version(m_pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(m_pointer);
    else
        wl_pointer_destroy(m_pointer);
    m_pointer = nullptr;
}

void WaylandPointer::enter(std::uint32_t serial, wl_surface* surface, QPointF position) {
    // A surface destroyed a moment ago arrives as null.
    m_target = surface ? static_cast<QWindow*>(wl_surface_get_user_data(surface)) : nullptr;
    showArrow(serial);
    m_position = position;
    m_buttons = {};
    send(QEvent::MouseMove, 0, Qt::NoButton);
}

void WaylandPointer::leave() {
    if (m_target) {
        QEvent left(QEvent::Leave);
        QCoreApplication::sendEvent(m_target, &left);
    }
    m_target = nullptr;
    m_buttons = {};
}

void WaylandPointer::move(std::uint32_t time, QPointF position) {
    m_position = position;
    send(QEvent::MouseMove, time, Qt::NoButton);
}

void WaylandPointer::press(std::uint32_t time, std::uint32_t button, bool pressed) {
    const Qt::MouseButton qt = qtButton(button);
    if (qt == Qt::NoButton)
        return;
    m_buttons.setFlag(qt, pressed);
    send(pressed ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, time, qt);
}

void WaylandPointer::send(QEvent::Type type, std::uint32_t time, Qt::MouseButton button) {
    if (!m_target)
        return;
    QMouseEvent event(type, m_position, m_position, button, m_buttons, Qt::NoModifier);
    event.setTimestamp(time);
    QCoreApplication::sendEvent(m_target, &event);
}

// The theme the desktop exports for its own programs (XCURSOR_THEME, XCURSOR_SIZE), loaded when
// the pointer first comes over a lock window.
void WaylandPointer::showArrow(std::uint32_t serial) {
    if (!m_pointer || !m_compositor || !m_shm)
        return;
    if (!m_cursorTheme) {
        const QByteArray theme = qgetenv("XCURSOR_THEME");
        bool sized = false;
        const int size = qEnvironmentVariableIntValue("XCURSOR_SIZE", &sized);
        m_cursorTheme = wl_cursor_theme_load(theme.isEmpty() ? nullptr : theme.constData(),
                                             sized && size > 0 ? size : 24, m_shm);
    }
    wl_cursor* arrow =
        m_cursorTheme ? wl_cursor_theme_get_cursor(m_cursorTheme, "left_ptr") : nullptr;
    if (!arrow || arrow->image_count == 0)
        return;
    wl_cursor_image* image = arrow->images[0];
    wl_buffer* buffer = wl_cursor_image_get_buffer(image);
    if (!buffer)
        return;
    if (!m_cursorSurface)
        m_cursorSurface = wl_compositor_create_surface(m_compositor);
    wl_pointer_set_cursor(m_pointer, serial, m_cursorSurface, std::int32_t(image->hotspot_x),
                          std::int32_t(image->hotspot_y));
    wl_surface_attach(m_cursorSurface, buffer, 0, 0);
    wl_surface_damage(m_cursorSurface, 0, 0, std::int32_t(image->width),
                      std::int32_t(image->height));
    wl_surface_commit(m_cursorSurface);
}
