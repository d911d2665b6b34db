#pragma once

#include "ports/HotKeyBackend.h"
#include "sway/SwayIpc.h"

#include <QObject>
#include <map>
#include <memory>

class Logger;

// Global hot keys on sway: each combination bound at run time through sway's IPC to a `nop`
// command carrying a tag of ours, and the compositor's binding events watched for that tag.
// Only presses are reported (sway runs a binding on press). The bindings are removed again on
// unregistering and when the backend goes, and made again after sway reloads its configuration,
// which drops them.
class SwayHotKeyBackend : public QObject, public HotKeyBackend {
    Q_OBJECT

public:
    SwayHotKeyBackend(Logger& logger, std::unique_ptr<SwayIpc> ipc);
    ~SwayHotKeyBackend() override;

    // sway's spelling of the combination, e.g. "Ctrl+Alt+Mod4+Shift+u"; none for a key without
    // a name.
    static std::optional<QString> comboFor(quint32 carbonKeyCode, quint32 carbonModifiers);

    std::optional<Handle> registerHotKey(quint32 carbonKeyCode, quint32 carbonModifiers,
                                         HotKeyID hotKeyID) override;
    void unregisterHotKey(Handle handle) override;
    void setEventHandler(EventHandler handler) override;

private:
    struct Binding {
        QString combo;
        HotKeyID hotKeyID;
    };

    void bind(Handle handle, const Binding& binding);
    void onEvent(SwayIpc::Event type, const QJsonDocument& payload);
    QString commandFor(Handle handle) const;

    Logger& m_logger;
    std::unique_ptr<SwayIpc> m_ipc;
    Handle m_nextHandle = 1;
    std::map<Handle, Binding> m_bindings;
    EventHandler m_handler;
};
