#include "wayland/WaylandConnection.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <wayland-client.h>

std::unique_ptr<WaylandConnection> WaylandConnection::open(const QByteArray& socket) {
    wl_display* display = wl_display_connect(socket.isEmpty() ? nullptr : socket.constData());
    if (!display)
        return nullptr;
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    // The globals are known before anyone asks for them.
    if (!connection->roundtrip())
        return nullptr;
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display)
    : m_display(display) {
    static const wl_registry_listener listener = {&WaylandConnection::onGlobal,
                                                  &WaylandConnection::onGlobalRemove};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    m_notifier =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(m_display), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &WaylandConnection::readEvents);
    // Requests wait in libwayland's buffer until flushed; send them before the loop sleeps.
    if (QAbstractEventDispatcher* dispatcher = QThread::currentThread()->eventDispatcher())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &WaylandConnection::flush);
}

WaylandConnection::~WaylandConnection() {
    m_notifier.reset();
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

std::uint32_t WaylandConnection::find(const QString& interface) const {
    for (const auto& [name, global] : m_globals) {
        if (global.interface == interface)
            return name;
    }
    return 0;
}

void* WaylandConnection::bind(std::uint32_t name, const wl_interface* interface,
                              std::uint32_t version) {
    const auto found = m_globals.find(name);
    if (found == m_globals.end() || m_lost)
        return nullptr;
    return wl_registry_bind(m_registry, name, interface, std::min(version, found->second.version));
}

void* WaylandConnection::bindFirstOf(const wl_interface& interface, std::uint32_t version,
                                     std::uint32_t oldest) {
    const std::uint32_t name = find(QString::fromLatin1(interface.name));
    if (name == 0 || m_globals.at(name).version < oldest)
        return nullptr;
    return bind(name, &interface, version);
}

bool WaylandConnection::roundtrip() {
    if (m_lost)
        return false;
    if (wl_display_roundtrip(m_display) < 0) {
        markLost();
        return false;
    }
    return true;
}

void WaylandConnection::flush() {
    if (!m_lost && wl_display_flush(m_display) < 0 && errno != EAGAIN)
        markLost();
}

void WaylandConnection::readEvents() {
    if (m_lost)
        return;
    if (wl_display_prepare_read(m_display) == 0) {
        if (wl_display_read_events(m_display) < 0) {
            markLost();
            return;
        }
    }
    if (wl_display_dispatch_pending(m_display) < 0) {
        markLost();
        return;
    }
    // Answers to events (acknowledgements) go out at once, even when the loop does not sleep.
    flush();
}

void WaylandConnection::markLost() {
    if (m_lost)
        return;
    m_lost = true;
    m_notifier->setEnabled(false);
    emit lost();
}

void WaylandConnection::onGlobal(void* data, wl_registry*, std::uint32_t name,
                                 const char* interface, std::uint32_t version) {
    auto* self = static_cast<WaylandConnection*>(data);
    const QString interfaceName = QString::fromLatin1(interface);
    self->m_globals[name] = Global{interfaceName, version};
    emit self->globalAdded(name, interfaceName, version);
}

void WaylandConnection::onGlobalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<WaylandConnection*>(data);
    if (self->m_globals.erase(name))
        emit self->globalRemoved(name);
}
