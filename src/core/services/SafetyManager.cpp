#include "services/SafetyManager.h"

#include "ports/Logger.h"

SafetyManager::SafetyManager(HotKeysController& hotKeys, Logger& logger)
    : m_hotKeys(hotKeys)
    , m_logger(logger) {
    setupPanicKey();
}

KeyCombo SafetyManager::panicKeyCombo() {
    return KeyCombo(Key::u,
                    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier);
}

void SafetyManager::setupPanicKey() {
    m_panicHotKey = std::make_unique<HotKey>(m_hotKeys, panicKeyCombo());
    // Only the press matters. The hot key dies with the manager, so `this` outlives it.
    m_panicHotKey->keyDownHandler = [this] { triggerPanic(); };
}

void SafetyManager::triggerPanic() {
    m_logger.log(QStringLiteral("[Velmora Safety] Panic key activated — dismissing all overlays"));
    if (onPanicKeyPressed)
        onPanicKeyPressed();
}
