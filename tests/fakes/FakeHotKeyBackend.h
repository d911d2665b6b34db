#pragma once

#include "ports/HotKeyBackend.h"

#include <QList>
#include <QSet>
#include <map>

// A scripted global shortcut service. Like the real ones it refuses a combination that is
// registered already, and `refused` lists combinations "another program" holds.
class FakeHotKeyBackend : public HotKeyBackend {
public:
    struct Registration {
        quint32 keyCode = 0;
        quint32 modifiers = 0;
        HotKeyID hotKeyID;
    };

    std::optional<Handle> registerHotKey(quint32 carbonKeyCode, quint32 carbonModifiers,
                                         HotKeyID hotKeyID) override;
    void unregisterHotKey(Handle handle) override;
    void setEventHandler(EventHandler handler) override;

    // The user presses or releases a combination: delivered only if it is registered here.
    // Returns whether the receiver handled it.
    bool press(quint32 keyCode, quint32 modifiers);
    bool release(quint32 keyCode, quint32 modifiers);
    // An event exactly as given, registered or not.
    bool deliver(HotKeyID hotKeyID, EventKind kind);

    QSet<std::pair<quint32, quint32>> refused;
    std::map<Handle, Registration> registrations;
    QList<Handle> unregistered;
    int handlerInstallCount = 0;
    bool hasHandler() const { return bool(m_handler); }

private:
    bool send(quint32 keyCode, quint32 modifiers, EventKind kind);

    Handle m_nextHandle = 1;
    EventHandler m_handler;
};
