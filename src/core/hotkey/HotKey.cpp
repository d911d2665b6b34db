#include "hotkey/HotKey.h"

#include "hotkey/HotKeysController.h"

HotKey::HotKey(HotKeysController& controller, const KeyCombo& keyCombo, Handler keyDownHandler,
               Handler keyUpHandler)
    : keyDownHandler(std::move(keyDownHandler))
    , keyUpHandler(std::move(keyUpHandler))
    , m_controller(controller)
    , m_keyCombo(keyCombo) {
    m_controller.registerHotKey(*this);
}

HotKey::HotKey(HotKeysController& controller, quint32 carbonKeyCode, quint32 carbonModifiers,
               Handler keyDownHandler, Handler keyUpHandler)
    : HotKey(controller, KeyCombo(carbonKeyCode, carbonModifiers), std::move(keyDownHandler),
             std::move(keyUpHandler)) {}

HotKey::HotKey(HotKeysController& controller, Key key, Qt::KeyboardModifiers modifiers,
               Handler keyDownHandler, Handler keyUpHandler)
    : HotKey(controller, KeyCombo(key, modifiers), std::move(keyDownHandler),
             std::move(keyUpHandler)) {}

HotKey::~HotKey() {
    m_controller.unregisterHotKey(*this);
}

void HotKey::setPaused(bool paused) {
    m_isPaused = paused;
    if (paused)
        m_controller.unregisterHotKey(*this);
    else
        m_controller.registerHotKey(*this);
}
