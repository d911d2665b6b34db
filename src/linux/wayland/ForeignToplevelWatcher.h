#pragma once

#include "wayland/ToplevelWatcher.h"

#include <map>
#include <memory>

class WaylandConnection;
struct wl_array;
struct wl_seat;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

// The window list of wlroots compositors (the foreign-toplevel protocol). It names no processes:
// whether a new window belongs to the same process as the last is for the caller to tell.
class ForeignToplevelWatcher : public ToplevelWatcher {
    Q_OBJECT

public:
    // Null when the compositor does not offer the protocol.
    static std::unique_ptr<ForeignToplevelWatcher> create(WaylandConnection& connection,
                                                          ActivationHandler onActivated);
    ~ForeignToplevelWatcher() override;

    bool isWatching() const override { return m_manager != nullptr; }
    // Needs a seat to activate the window for.
    bool activate(const WindowFilter& matches) override;

private:
    // What the compositor sent since its last `done`.
    struct Toplevel {
        ForeignToplevelWatcher* watcher = nullptr;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        std::uint64_t serial = 0;
        QString pendingAppId;
        bool pendingActivated = false;
    };

    ForeignToplevelWatcher(WaylandConnection& connection, zwlr_foreign_toplevel_manager_v1* manager,
                           ActivationHandler onActivated);
    void added(zwlr_foreign_toplevel_handle_v1* handle);
    void committed(Toplevel& toplevel);
    void closed(Toplevel& toplevel);
    void stop();
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
    // By serial, as the window list knows them.
    std::map<std::uint64_t, std::unique_ptr<Toplevel>> m_toplevels;
};
