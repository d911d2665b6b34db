#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class WaylandConnection;
struct wl_array;
struct wl_seat;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

// The compositor's list of windows (wlroots' foreign-toplevel protocol): reports the app_id of the
// window that became the activated one, once per change of window. Whether the new window belongs
// to the same process as the last is for the caller to tell; the list names no processes.
class ForeignToplevelWatcher : public QObject {
    Q_OBJECT

public:
    // The app_id of the window that is now the activated one, or nullopt when none is.
    using ActivationHandler = std::function<void(const std::optional<QString>& appId)>;

    // Null when the compositor does not offer the protocol.
    static std::unique_ptr<ForeignToplevelWatcher> create(WaylandConnection& connection,
                                                          ActivationHandler onActivated);
    ~ForeignToplevelWatcher() override;

    // False once the compositor stopped the list or the connection was lost.
    bool isWatching() const { return m_manager != nullptr; }
    // Asks the compositor to activate the first window whose app_id passes `matches`; false when
    // there is none or no seat to activate it for.
    bool activate(const std::function<bool(const QString& appId)>& matches);

signals:
    // No more windows will be reported.
    void stopped();

private:
    struct Toplevel {
        ForeignToplevelWatcher* watcher = nullptr;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        // Never reused, unlike the handle's address.
        std::uint64_t serial = 0;
        QString appId;
        QString pendingAppId;
        bool activated = false;
        bool pendingActivated = false;
        // When it last became activated, to pick the newest when a compositor marks several.
        std::uint64_t activatedAt = 0;
    };

    ForeignToplevelWatcher(WaylandConnection& connection, zwlr_foreign_toplevel_manager_v1* manager,
                           ActivationHandler onActivated);
    void added(zwlr_foreign_toplevel_handle_v1* handle);
    void committed(Toplevel& toplevel);
    void closed(Toplevel& toplevel);
    void stop();
    void scheduleSettle();
    void settle();
    wl_seat* seat();

    static void onToplevel(void* data, zwlr_foreign_toplevel_manager_v1* manager,
                           zwlr_foreign_toplevel_handle_v1* handle);
    static void onFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager);
    static void onAppId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId);
    static void onState(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* state);
    static void onDone(void* data, zwlr_foreign_toplevel_handle_v1* handle);
    static void onClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle);

    WaylandConnection& m_connection;
    zwlr_foreign_toplevel_manager_v1* m_manager = nullptr;
    wl_seat* m_seat = nullptr;
    ActivationHandler m_onActivated;
    std::vector<std::unique_ptr<Toplevel>> m_toplevels;
    std::uint64_t m_serials = 0;
    std::uint64_t m_activeSerial = 0;
    std::uint64_t m_activations = 0;
    bool m_settleScheduled = false;
};
