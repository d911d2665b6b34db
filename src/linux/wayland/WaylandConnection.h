#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>

class QSocketNotifier;
struct wl_display;
struct wl_interface;
struct wl_registry;

// A Wayland connection of the program's own, beside whatever Qt uses for its windows: the lock
// surfaces and the watch on other programs' windows speak protocols Qt does not bind. Events are
// read and dispatched on the main thread as they arrive; requests are flushed before the event
// loop sleeps.
class WaylandConnection : public QObject {
    Q_OBJECT

public:
    struct Global {
        QString interface;
        std::uint32_t version = 0;
    };

    // Null when there is no compositor to talk to (no WAYLAND_DISPLAY, a refused connection).
    // `socket` names the compositor's socket as WAYLAND_DISPLAY does; empty for WAYLAND_DISPLAY.
    static std::unique_ptr<WaylandConnection> open(const QByteArray& socket = {});
    ~WaylandConnection() override;

    wl_display* display() const { return m_display; }
    // The compositor's globals known so far, by their registry name.
    const std::map<std::uint32_t, Global>& globals() const { return m_globals; }
    // The registry name of the first global of `interface`, or 0.
    std::uint32_t find(const QString& interface) const;
    // Binds a global at the lower of `version` and what the compositor offers; null when absent.
    void* bind(std::uint32_t name, const wl_interface* interface, std::uint32_t version);
    // Binds the first global of `interface`; null when there is none, or it is older than
    // `oldest`.
    template <typename Proxy>
    Proxy* bindFirst(const wl_interface& interface, std::uint32_t version,
                     std::uint32_t oldest = 1) {
        return static_cast<Proxy*>(bindFirstOf(interface, version, oldest));
    }
    // Waits for the compositor to answer every request sent so far; false when it is gone.
    bool roundtrip();
    void flush();
    bool isLost() const { return m_lost; }

signals:
    void globalAdded(std::uint32_t name, const QString& interface, std::uint32_t version);
    void globalRemoved(std::uint32_t name);
    // The compositor closed the connection or reported a protocol error; nothing works any more.
    void lost();

private:
    explicit WaylandConnection(wl_display* display);
    void* bindFirstOf(const wl_interface& interface, std::uint32_t version, std::uint32_t oldest);
    void readEvents();
    void markLost();
    static void onGlobal(void* data, wl_registry* registry, std::uint32_t name,
                         const char* interface, std::uint32_t version);
    static void onGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::map<std::uint32_t, Global> m_globals;
    bool m_lost = false;
};
