#pragma once

#include "ports/HotKeyBackend.h"

#include <QUuid>
#include <map>
#include <optional>

class HotKey;
class Logger;

// The registry of live hot keys: hands out identifiers, registers combinations with the system
// and dispatches the system's events to the right hot key. Identifiers only ever grow and are
// never reused, so a late event for an old registration can never reach a newer hot key.
class HotKeysController {
public:
    // "SSHk", packed big-endian.
    static constexpr quint32 eventHotKeySignature =
        (quint32('S') << 24) | (quint32('S') << 16) | (quint32('H') << 8) | quint32('k');

    // `hotKeysCount` is the last identifier already handed out.
    HotKeysController(HotKeyBackend& backend, Logger& logger, quint32 hotKeysCount = 0);
    ~HotKeysController();

    HotKeysController(const HotKeysController&) = delete;
    HotKeysController& operator=(const HotKeysController&) = delete;

    // Does nothing for a hot key registered already. A refusal by the system is not reported:
    // the hot key keeps its identifier and simply never fires.
    void registerHotKey(HotKey& hotKey);
    void unregisterHotKey(HotKey& hotKey);
    // Whether the event was for one of our hot keys and ran a callback.
    bool handleEvent(const HotKeyBackend::Event& event);

    quint32 hotKeysCount() const { return m_hotKeysCount; }
    // The identifier the hot key is registered under, if it is.
    std::optional<quint32> identifier(const HotKey& hotKey) const;
    bool isRegisteredWithSystem(quint32 identifier) const;

private:
    struct HotKeyBox {
        QUuid identifier;
        HotKey* hotKey = nullptr;
        quint32 carbonHotKeyID = 0;
        // None when the system refused the registration.
        std::optional<HotKeyBackend::Handle> backendHandle;
    };

    std::map<quint32, HotKeyBox>::const_iterator box(const HotKey& hotKey) const;
    HotKey* hotKey(quint32 identifier) const;
    void updateEventHandler();

    HotKeyBackend& m_backend;
    Logger& m_logger;
    std::map<quint32, HotKeyBox> m_hotKeys;
    quint32 m_hotKeysCount;
    bool m_eventHandlerInstalled = false;
};
