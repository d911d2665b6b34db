#include "sway/SwayHotKeyBackend.h"

#include "hotkey/ModifierFlags.h"
#include "ports/Logger.h"
#include "x11/X11KeySymbols.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>

namespace {

// sway answers a command with one {success, error} object per command it ran.
QString commandError(const QJsonDocument& reply) {
    if (!reply.isArray())
        return QStringLiteral("sway did not answer");
    for (const QJsonValue& result : reply.array()) {
        if (!result.toObject().value(QStringLiteral("success")).toBool())
            return result.toObject().value(QStringLiteral("error")).toString();
    }
    return {};
}

} // namespace

SwayHotKeyBackend::SwayHotKeyBackend(Logger& logger, std::unique_ptr<SwayIpc> ipc)
    : m_logger(logger)
    , m_ipc(std::move(ipc)) {
    connect(m_ipc.get(), &SwayIpc::eventReceived, this, &SwayHotKeyBackend::onEvent);
    m_ipc->subscribe({QStringLiteral("binding"), QStringLiteral("workspace")});
}

SwayHotKeyBackend::~SwayHotKeyBackend() {
    for (const auto& [handle, binding] : m_bindings)
        m_ipc->runCommand(QStringLiteral("unbindsym ") + binding.combo);
    // The event loop may not run again, and sway drops what a closed connection left unread.
    m_ipc->waitForReplies(1000);
}

std::optional<QString> SwayHotKeyBackend::comboFor(quint32 carbonKeyCode, quint32 carbonModifiers) {
    return X11KeySymbols::shortcutText(carbonKeyCode, carbonModifiers,
                                       {{ModifierFlags::command, "Ctrl"},
                                        {ModifierFlags::option, "Alt"},
                                        {ModifierFlags::control, "Mod4"},
                                        {ModifierFlags::shift, "Shift"}});
}

std::optional<HotKeyBackend::Handle> SwayHotKeyBackend::registerHotKey(quint32 carbonKeyCode,
                                                                       quint32 carbonModifiers,
                                                                       HotKeyID hotKeyID) {
    const auto combo = comboFor(carbonKeyCode, carbonModifiers);
    if (!combo)
        return std::nullopt;
    // Two bindings of one combination would replace each other, so a second is refused.
    for (const auto& [handle, binding] : m_bindings) {
        if (binding.combo == *combo)
            return std::nullopt;
    }
    const Handle handle = m_nextHandle++;
    const Binding& binding = m_bindings.emplace(handle, Binding{*combo, hotKeyID}).first->second;
    bind(handle, binding);
    return handle;
}

void SwayHotKeyBackend::unregisterHotKey(Handle handle) {
    const auto found = m_bindings.find(handle);
    if (found == m_bindings.end())
        return;
    m_ipc->runCommand(QStringLiteral("unbindsym ") + found->second.combo);
    m_bindings.erase(found);
}

void SwayHotKeyBackend::setEventHandler(EventHandler handler) {
    m_handler = std::move(handler);
}

// The process id keeps a second copy's bindings apart from ours.
QString SwayHotKeyBackend::commandFor(Handle handle) const {
    return QStringLiteral("nop velmora-hotkey-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(handle);
}

void SwayHotKeyBackend::bind(Handle handle, const Binding& binding) {
    const QString combo = binding.combo;
    m_ipc->runCommand(QStringLiteral("bindsym --no-repeat %1 %2").arg(combo, commandFor(handle)),
                      [this, combo](const QJsonDocument& reply) {
                          const QString error = commandError(reply);
                          if (error.isEmpty())
                              return;
                          m_logger.log(QStringLiteral("[Velmora] sway did not bind %1 (%2); the "
                                                      "panic key can be had by binding `velmora "
                                                      "--panic` in sway's configuration")
                                           .arg(combo, error));
                      });
}

void SwayHotKeyBackend::onEvent(SwayIpc::Event type, const QJsonDocument& payload) {
    const QJsonObject event = payload.object();
    // A reload drops bindings made at run time.
    if (type == SwayIpc::Event::workspace &&
        event.value(QStringLiteral("change")).toString() == QLatin1String("reload")) {
        for (const auto& [handle, binding] : m_bindings)
            bind(handle, binding);
        return;
    }
    if (type != SwayIpc::Event::binding || !m_handler)
        return;
    const QString command = event.value(QStringLiteral("binding"))
                                .toObject()
                                .value(QStringLiteral("command"))
                                .toString();
    for (const auto& [handle, binding] : m_bindings) {
        if (command == commandFor(handle)) {
            m_handler({binding.hotKeyID, EventKind::pressed});
            return;
        }
    }
}
