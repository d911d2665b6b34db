#include "hotkey/HotKeysController.h"

#include "hotkey/HotKey.h"
#include "ports/Logger.h"

#include <limits>

HotKeysController::HotKeysController(HotKeyBackend& backend, Logger& logger, quint32 hotKeysCount)
    : m_backend(backend)
    , m_logger(logger)
    , m_hotKeysCount(hotKeysCount) {}

HotKeysController::~HotKeysController() {
    if (m_eventHandlerInstalled)
        m_backend.setEventHandler({});
}

void HotKeysController::registerHotKey(HotKey& hotKey) {
    if (box(hotKey) != m_hotKeys.end())
        return;
    // Wrapping round would hand out identifiers that may still be in use.
    if (m_hotKeysCount == std::numeric_limits<quint32>::max()) {
        m_logger.log(QStringLiteral("[Velmora] Hot key not registered: no identifiers left"));
        return;
    }
    const quint32 identifier = ++m_hotKeysCount;
    HotKeyBox& stored =
        m_hotKeys.emplace(identifier, HotKeyBox{hotKey.identifier(), &hotKey, identifier, {}})
            .first->second;
    const KeyCombo& combo = hotKey.keyCombo();
    stored.backendHandle = m_backend.registerHotKey(combo.carbonKeyCode, combo.carbonModifiers,
                                                    {eventHotKeySignature, identifier});
    if (stored.backendHandle)
        updateEventHandler();
}

void HotKeysController::unregisterHotKey(HotKey& hotKey) {
    const auto found = box(hotKey);
    if (found == m_hotKeys.end())
        return;
    if (found->second.backendHandle)
        m_backend.unregisterHotKey(*found->second.backendHandle);
    m_hotKeys.erase(found);
}

bool HotKeysController::handleEvent(const HotKeyBackend::Event& event) {
    if (event.hotKeyID.signature != eventHotKeySignature)
        return false;
    HotKey* target = hotKey(event.hotKeyID.id);
    if (!target || target->isPaused())
        return false;
    // A copy: the callback may destroy the hot key it belongs to.
    const HotKey::Handler handler = event.kind == HotKeyBackend::EventKind::pressed
                                        ? target->keyDownHandler
                                        : target->keyUpHandler;
    if (!handler)
        return false;
    handler();
    return true;
}

std::optional<quint32> HotKeysController::identifier(const HotKey& hotKey) const {
    const auto found = box(hotKey);
    if (found == m_hotKeys.end())
        return std::nullopt;
    return found->first;
}

bool HotKeysController::isRegisteredWithSystem(quint32 identifier) const {
    const auto found = m_hotKeys.find(identifier);
    return found != m_hotKeys.end() && found->second.backendHandle.has_value();
}

std::map<quint32, HotKeysController::HotKeyBox>::const_iterator
HotKeysController::box(const HotKey& hotKey) const {
    for (auto it = m_hotKeys.begin(); it != m_hotKeys.end(); ++it) {
        if (it->second.identifier == hotKey.identifier())
            return it;
    }
    return m_hotKeys.end();
}

HotKey* HotKeysController::hotKey(quint32 identifier) const {
    const auto found = m_hotKeys.find(identifier);
    return found == m_hotKeys.end() ? nullptr : found->second.hotKey;
}

void HotKeysController::updateEventHandler() {
    if (m_eventHandlerInstalled)
        return;
    m_backend.setEventHandler(
        [this](const HotKeyBackend::Event& event) { return handleEvent(event); });
    m_eventHandlerInstalled = true;
}
