#include "wayland/ToplevelWatcher.h"

#include <algorithm>

ToplevelWatcher::ToplevelWatcher(ActivationHandler onActivated)
    : m_onActivated(std::move(onActivated)) {}

void ToplevelWatcher::changed(std::uint64_t serial, Window window, bool activated) {
    Known& known = m_windows[serial];
    if (activated && !known.activated)
        known.activatedAt = ++m_activations;
    known.window = std::move(window);
    known.activated = activated;
    scheduleSettle();
}

void ToplevelWatcher::removed(std::uint64_t serial) {
    if (m_windows.erase(serial))
        scheduleSettle();
}

std::uint64_t ToplevelWatcher::find(const WindowFilter& matches) const {
    const auto found = std::find_if(m_windows.begin(), m_windows.end(),
                                    [&](const auto& each) { return matches(each.second.window); });
    return found == m_windows.end() ? 0 : found->first;
}

void ToplevelWatcher::scheduleSettle() {
    if (m_settleScheduled)
        return;
    m_settleScheduled = true;
    QMetaObject::invokeMethod(this, &ToplevelWatcher::settle, Qt::QueuedConnection);
}

void ToplevelWatcher::settle() {
    m_settleScheduled = false;
    const std::pair<const std::uint64_t, Known>* newest = nullptr;
    for (const auto& each : m_windows) {
        if (each.second.activated &&
            (!newest || each.second.activatedAt > newest->second.activatedAt))
            newest = &each;
    }
    const std::uint64_t serial = newest ? newest->first : 0;
    if (serial == m_activeSerial)
        return;
    m_activeSerial = serial;
    m_onActivated(newest ? std::optional<Window>(newest->second.window) : std::nullopt);
}
