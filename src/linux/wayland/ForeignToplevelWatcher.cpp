#include "wayland/ForeignToplevelWatcher.h"

#include "wayland/WaylandConnection.h"

#include <algorithm>
#include <wayland-client.h>
#include <wlr-foreign-toplevel-management-unstable-v1-client.h>

namespace {

// Version 2 only adds the fullscreen state, which changes nothing here.
constexpr std::uint32_t managerVersion = 2;

} // namespace

std::unique_ptr<ForeignToplevelWatcher>
ForeignToplevelWatcher::create(WaylandConnection& connection, ActivationHandler onActivated) {
    auto* manager = connection.bindFirst<zwlr_foreign_toplevel_manager_v1>(
        zwlr_foreign_toplevel_manager_v1_interface, managerVersion);
    if (!manager)
        return nullptr;
    return std::unique_ptr<ForeignToplevelWatcher>(
        new ForeignToplevelWatcher(connection, manager, std::move(onActivated)));
}

ForeignToplevelWatcher::ForeignToplevelWatcher(WaylandConnection& connection,
                                               zwlr_foreign_toplevel_manager_v1* manager,
                                               ActivationHandler onActivated)
    : ToplevelWatcher(std::move(onActivated))
    , m_connection(connection)
    , m_manager(manager) {
    static const zwlr_foreign_toplevel_manager_v1_listener listener = {
        &ForeignToplevelWatcher::onToplevel, &ForeignToplevelWatcher::onFinished};
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &listener, this);
    connect(&m_connection, &WaylandConnection::lost, this, &ForeignToplevelWatcher::stop);
    m_connection.flush();
}

ForeignToplevelWatcher::~ForeignToplevelWatcher() {
    if (m_manager)
        zwlr_foreign_toplevel_manager_v1_stop(m_manager);
    for (const auto& each : m_toplevels)
        zwlr_foreign_toplevel_handle_v1_destroy(each.second->handle);
    if (m_manager)
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
    if (m_seat)
        wl_seat_destroy(m_seat);
    m_connection.flush();
}

bool ForeignToplevelWatcher::activate(const WindowFilter& matches) {
    const auto found = m_toplevels.find(find(matches));
    wl_seat* const target = found == m_toplevels.end() ? nullptr : seat();
    if (!target)
        return false;
    zwlr_foreign_toplevel_handle_v1_activate(found->second->handle, target);
    m_connection.flush();
    return true;
}

wl_seat* ForeignToplevelWatcher::seat() {
    if (m_seat || !m_manager)
        return m_seat;
    m_seat = m_connection.bindFirst<wl_seat>(wl_seat_interface, 1);
    return m_seat;
}

void ForeignToplevelWatcher::added(zwlr_foreign_toplevel_handle_v1* handle) {
    static const zwlr_foreign_toplevel_handle_v1_listener listener = {
        [](void*, zwlr_foreign_toplevel_handle_v1*, const char*) {},
        &ForeignToplevelWatcher::onAppId,
        [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        &ForeignToplevelWatcher::onState,
        &ForeignToplevelWatcher::onDone,
        &ForeignToplevelWatcher::onClosed,
    };
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->watcher = this;
    toplevel->handle = handle;
    toplevel->serial = newSerial();
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, toplevel.get());
    m_toplevels.emplace(toplevel->serial, std::move(toplevel));
}

// Changes apply together at `done`.
void ForeignToplevelWatcher::committed(Toplevel& toplevel) {
    changed(toplevel.serial, Window{toplevel.pendingAppId}, toplevel.pendingActivated);
}

void ForeignToplevelWatcher::closed(Toplevel& toplevel) {
    const std::uint64_t serial = toplevel.serial;
    removed(serial);
    zwlr_foreign_toplevel_handle_v1_destroy(toplevel.handle);
    m_toplevels.erase(serial);
}

void ForeignToplevelWatcher::stop() {
    if (!m_manager)
        return;
    for (const auto& each : m_toplevels)
        zwlr_foreign_toplevel_handle_v1_destroy(each.second->handle);
    m_toplevels.clear();
    clear();
    zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
    m_manager = nullptr;
    emit stopped();
}

void ForeignToplevelWatcher::onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                                        zwlr_foreign_toplevel_handle_v1* handle) {
    static_cast<ForeignToplevelWatcher*>(data)->added(handle);
}

void ForeignToplevelWatcher::onFinished(void* data, zwlr_foreign_toplevel_manager_v1*) {
    static_cast<ForeignToplevelWatcher*>(data)->stop();
}

void ForeignToplevelWatcher::onAppId(void* data, zwlr_foreign_toplevel_handle_v1*,
                                     const char* appId) {
    static_cast<Toplevel*>(data)->pendingAppId = QString::fromUtf8(appId);
}

void ForeignToplevelWatcher::onState(void* data, zwlr_foreign_toplevel_handle_v1*,
                                     wl_array* state) {
    auto* toplevel = static_cast<Toplevel*>(data);
    const auto* first = static_cast<const std::uint32_t*>(state->data);
    const auto* last = first + state->size / sizeof(std::uint32_t);
    toplevel->pendingActivated =
        std::find(first, last, ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) != last;
}

void ForeignToplevelWatcher::onDone(void* data, zwlr_foreign_toplevel_handle_v1*) {
    auto* toplevel = static_cast<Toplevel*>(data);
    toplevel->watcher->committed(*toplevel);
}

void ForeignToplevelWatcher::onClosed(void* data, zwlr_foreign_toplevel_handle_v1*) {
    auto* toplevel = static_cast<Toplevel*>(data);
    toplevel->watcher->closed(*toplevel);
}
