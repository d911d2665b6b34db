#include "wayland/PlasmaWindowWatcher.h"

#include "wayland/WaylandConnection.h"

#include <plasma-window-management-client.h>
#include <wayland-client.h>

namespace {

// Windows are announced with their uuid from version 13 on (Plasma 5.22); the listeners below
// cover every event up to version 16.
constexpr std::uint32_t oldestVersion = 13;
constexpr std::uint32_t newestVersion = 16;

} // namespace

std::unique_ptr<PlasmaWindowWatcher> PlasmaWindowWatcher::create(WaylandConnection& connection,
                                                                 ActivationHandler onActivated) {
    auto* management = connection.bindFirst<org_kde_plasma_window_management>(
        org_kde_plasma_window_management_interface, newestVersion, oldestVersion);
    if (!management)
        return nullptr;
    return std::unique_ptr<PlasmaWindowWatcher>(
        new PlasmaWindowWatcher(connection, management, std::move(onActivated)));
}

PlasmaWindowWatcher::PlasmaWindowWatcher(WaylandConnection& connection,
                                         org_kde_plasma_window_management* management,
                                         ActivationHandler onActivated)
    : ToplevelWatcher(std::move(onActivated))
    , m_connection(connection)
    , m_management(management) {
    static const org_kde_plasma_window_management_listener listener = {
        [](void*, org_kde_plasma_window_management*, std::uint32_t) {},
        // The window event without a uuid is the older twin of window_with_uuid.
        [](void*, org_kde_plasma_window_management*, std::uint32_t) {},
        [](void*, org_kde_plasma_window_management*, wl_array*) {},
        [](void*, org_kde_plasma_window_management*, const char*) {},
        &PlasmaWindowWatcher::onWindow,
    };
    org_kde_plasma_window_management_add_listener(m_management, &listener, this);
    connect(&m_connection, &WaylandConnection::lost, this, &PlasmaWindowWatcher::stop);
    m_connection.flush();
}

PlasmaWindowWatcher::~PlasmaWindowWatcher() {
    for (const auto& each : m_windows)
        org_kde_plasma_window_destroy(each.second->handle);
    if (m_management)
        org_kde_plasma_window_management_destroy(m_management);
    m_connection.flush();
}

// KWin activates a window on a request with the active flag set; it needs no seat.
bool PlasmaWindowWatcher::activate(const WindowFilter& matches) {
    const auto found = m_windows.find(find(matches));
    if (found == m_windows.end())
        return false;
    org_kde_plasma_window_set_state(found->second->handle,
                                    ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE,
                                    ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE);
    m_connection.flush();
    return true;
}

void PlasmaWindowWatcher::added(const char* uuid) {
    static const org_kde_plasma_window_listener listener = {
        [](void*, org_kde_plasma_window*, const char*) {},
        &PlasmaWindowWatcher::onAppId,
        &PlasmaWindowWatcher::onState,
        [](void*, org_kde_plasma_window*, std::int32_t) {},
        [](void*, org_kde_plasma_window*, const char*) {},
        &PlasmaWindowWatcher::onUnmapped,
        &PlasmaWindowWatcher::onInitialState,
        [](void*, org_kde_plasma_window*, org_kde_plasma_window*) {},
        [](void*, org_kde_plasma_window*, std::int32_t, std::int32_t, std::uint32_t,
           std::uint32_t) {},
        [](void*, org_kde_plasma_window*) {},
        &PlasmaWindowWatcher::onPid,
        [](void*, org_kde_plasma_window*, const char*) {},
        [](void*, org_kde_plasma_window*, const char*) {},
        [](void*, org_kde_plasma_window*, const char*, const char*) {},
        [](void*, org_kde_plasma_window*, const char*) {},
        [](void*, org_kde_plasma_window*, const char*) {},
        [](void*, org_kde_plasma_window*, const char*) {},
    };
    auto window = std::make_unique<PlasmaWindow>();
    window->watcher = this;
    window->handle = org_kde_plasma_window_management_get_window_by_uuid(m_management, uuid);
    window->serial = newSerial();
    org_kde_plasma_window_add_listener(window->handle, &listener, window.get());
    m_windows.emplace(window->serial, std::move(window));
}

// Before its initial state the window is still being described: its app ID and process come
// one event each, and a half-described window would be reported under the wrong application.
void PlasmaWindowWatcher::report(const PlasmaWindow& window) {
    if (window.described)
        changed(window.serial, window.window, window.activated);
}

void PlasmaWindowWatcher::unmapped(PlasmaWindow& window) {
    const std::uint64_t serial = window.serial;
    removed(serial);
    org_kde_plasma_window_destroy(window.handle);
    m_windows.erase(serial);
}

void PlasmaWindowWatcher::stop() {
    if (!m_management)
        return;
    for (const auto& each : m_windows)
        org_kde_plasma_window_destroy(each.second->handle);
    m_windows.clear();
    clear();
    org_kde_plasma_window_management_destroy(m_management);
    m_management = nullptr;
    emit stopped();
}

void PlasmaWindowWatcher::onWindow(void* data, org_kde_plasma_window_management*, std::uint32_t,
                                   const char* uuid) {
    static_cast<PlasmaWindowWatcher*>(data)->added(uuid);
}

void PlasmaWindowWatcher::onAppId(void* data, org_kde_plasma_window*, const char* appId) {
    auto* window = static_cast<PlasmaWindow*>(data);
    window->window.appId = QString::fromUtf8(appId);
    window->watcher->report(*window);
}

void PlasmaWindowWatcher::onState(void* data, org_kde_plasma_window*, std::uint32_t flags) {
    auto* window = static_cast<PlasmaWindow*>(data);
    window->activated = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) != 0;
    window->watcher->report(*window);
}

void PlasmaWindowWatcher::onPid(void* data, org_kde_plasma_window*, std::uint32_t pid) {
    auto* window = static_cast<PlasmaWindow*>(data);
    window->window.pid = static_cast<pid_t>(pid);
    window->watcher->report(*window);
}

void PlasmaWindowWatcher::onInitialState(void* data, org_kde_plasma_window*) {
    auto* window = static_cast<PlasmaWindow*>(data);
    window->described = true;
    window->watcher->report(*window);
}

void PlasmaWindowWatcher::onUnmapped(void* data, org_kde_plasma_window*) {
    auto* window = static_cast<PlasmaWindow*>(data);
    window->watcher->unmapped(*window);
}
