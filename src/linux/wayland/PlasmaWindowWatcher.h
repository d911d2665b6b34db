#pragma once

#include "wayland/ToplevelWatcher.h"

#include <map>
#include <memory>

class WaylandConnection;
struct org_kde_plasma_window;
struct org_kde_plasma_window_management;

// KWin's window list (org_kde_plasma_window_management), which names each window's process. KWin
// offers it only to programs whose installed desktop entry asks for it.
class PlasmaWindowWatcher : public ToplevelWatcher {
    Q_OBJECT

public:
    // Null when the compositor does not offer the list to this program.
    static std::unique_ptr<PlasmaWindowWatcher> create(WaylandConnection& connection,
                                                       ActivationHandler onActivated);
    ~PlasmaWindowWatcher() override;

    bool isWatching() const override { return m_management != nullptr; }
    bool activate(const WindowFilter& matches) override;

private:
    struct PlasmaWindow {
        PlasmaWindowWatcher* watcher = nullptr;
        org_kde_plasma_window* handle = nullptr;
        std::uint64_t serial = 0;
        Window window;
        bool activated = false;
        // The compositor has sent all it knows of the window.
        bool described = false;
    };

    PlasmaWindowWatcher(WaylandConnection& connection, org_kde_plasma_window_management* management,
                        ActivationHandler onActivated);
    void added(const char* uuid);
    void report(const PlasmaWindow& window);
    void unmapped(PlasmaWindow& window);
    void stop();

    static void onWindow(void* data, org_kde_plasma_window_management* management, std::uint32_t id,
                         const char* uuid);
    static void onAppId(void* data, org_kde_plasma_window* handle, const char* appId);
    static void onState(void* data, org_kde_plasma_window* handle, std::uint32_t flags);
    static void onPid(void* data, org_kde_plasma_window* handle, std::uint32_t pid);
    static void onInitialState(void* data, org_kde_plasma_window* handle);
    static void onUnmapped(void* data, org_kde_plasma_window* handle);

    WaylandConnection& m_connection;
    org_kde_plasma_window_management* m_management = nullptr;
    // By serial, as the window list knows them.
    std::map<std::uint64_t, std::unique_ptr<PlasmaWindow>> m_windows;
};
