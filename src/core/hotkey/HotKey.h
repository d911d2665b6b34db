#pragma once

#include "hotkey/KeyCombo.h"

#include <QUuid>
#include <functional>

class HotKeysController;

// A system-wide key combination with press and release callbacks. Constructing it registers it;
// destroying it unregisters it. The controller must outlive it.
class HotKey {
public:
    using Handler = std::function<void()>;

    HotKey(HotKeysController& controller, const KeyCombo& keyCombo, Handler keyDownHandler = {},
           Handler keyUpHandler = {});
    HotKey(HotKeysController& controller, quint32 carbonKeyCode, quint32 carbonModifiers,
           Handler keyDownHandler = {}, Handler keyUpHandler = {});
    HotKey(HotKeysController& controller, Key key, Qt::KeyboardModifiers modifiers,
           Handler keyDownHandler = {}, Handler keyUpHandler = {});
    ~HotKey();

    HotKey(const HotKey&) = delete;
    HotKey& operator=(const HotKey&) = delete;

    const QUuid& identifier() const { return m_identifier; }
    const KeyCombo& keyCombo() const { return m_keyCombo; }
    bool isPaused() const { return m_isPaused; }
    // Pausing unregisters, unpausing registers again under a new identifier. Acts on every call,
    // also when the value does not change.
    void setPaused(bool paused);

    Handler keyDownHandler;
    Handler keyUpHandler;

private:
    HotKeysController& m_controller;
    const QUuid m_identifier = QUuid::createUuid();
    const KeyCombo m_keyCombo;
    bool m_isPaused = false;
};
