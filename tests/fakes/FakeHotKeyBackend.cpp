#include "FakeHotKeyBackend.h"

std::optional<HotKeyBackend::Handle> FakeHotKeyBackend::registerHotKey(quint32 carbonKeyCode,
                                                                       quint32 carbonModifiers,
                                                                       HotKeyID hotKeyID) {
    if (refused.contains({carbonKeyCode, carbonModifiers}))
        return std::nullopt;
    for (const auto& [handle, registration] : registrations) {
        if (registration.keyCode == carbonKeyCode && registration.modifiers == carbonModifiers)
            return std::nullopt;
    }
    const Handle handle = m_nextHandle++;
    registrations.emplace(handle, Registration{carbonKeyCode, carbonModifiers, hotKeyID});
    return handle;
}

void FakeHotKeyBackend::unregisterHotKey(Handle handle) {
    unregistered.append(handle);
    registrations.erase(handle);
}

void FakeHotKeyBackend::setEventHandler(EventHandler handler) {
    if (handler)
        ++handlerInstallCount;
    m_handler = std::move(handler);
}

bool FakeHotKeyBackend::press(quint32 keyCode, quint32 modifiers) {
    return send(keyCode, modifiers, EventKind::pressed);
}

bool FakeHotKeyBackend::release(quint32 keyCode, quint32 modifiers) {
    return send(keyCode, modifiers, EventKind::released);
}

bool FakeHotKeyBackend::deliver(HotKeyID hotKeyID, EventKind kind) {
    const EventHandler handler = m_handler;
    return handler && handler(Event{hotKeyID, kind});
}

bool FakeHotKeyBackend::send(quint32 keyCode, quint32 modifiers, EventKind kind) {
    for (const auto& [handle, registration] : registrations) {
        if (registration.keyCode == keyCode && registration.modifiers == modifiers)
            return deliver(registration.hotKeyID, kind);
    }
    return false;
}
