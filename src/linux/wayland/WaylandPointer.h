#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QWindow>
#include <cstdint>

class WaylandConnection;
struct wl_compositor;
struct wl_cursor_theme;
struct wl_pointer;
struct wl_shm;
struct wl_seat;
struct wl_surface;

// The first seat's pointer on the program's own connection. Its events over a surface whose user
// data is a QWindow (a window drawn offscreen into that surface) reach that window as Qt's mouse
// events, in the surface's coordinates.
class WaylandPointer : public QObject {
    Q_OBJECT

public:
    explicit WaylandPointer(WaylandConnection& connection, QObject* parent = nullptr);
    ~WaylandPointer() override;

    // Over our surfaces the pointer shows the cursor theme's arrow, drawn with these; without
    // them the compositor keeps whatever image the pointer had.
    void setCursorSource(wl_compositor* compositor, wl_shm* shm);
    // The seat's pointer comes and goes with its devices.
    void setCapabilities(std::uint32_t capabilities);
    void enter(std::uint32_t serial, wl_surface* surface, QPointF position);
    void leave();
    void move(std::uint32_t time, QPointF position);
    void press(std::uint32_t time, std::uint32_t button, bool pressed);

private:
    void bindSeat(std::uint32_t name);
    void send(QEvent::Type type, std::uint32_t time, Qt::MouseButton button);
    void showArrow(std::uint32_t serial);

    WaylandConnection& m_connection;
    std::uint32_t m_seatName = 0;
    wl_seat* m_seat = nullptr;
    wl_pointer* m_pointer = nullptr;
    QPointer<QWindow> m_target;
    QPointF m_position;
    Qt::MouseButtons m_buttons;
    wl_compositor* m_compositor = nullptr;
    wl_shm* m_shm = nullptr;
    wl_cursor_theme* m_cursorTheme = nullptr;
    wl_surface* m_cursorSurface = nullptr;
};
