#pragma once

#include "ports/HotKeyBackend.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>
#include <functional>
#include <map>

class Logger;
class QDBusMessage;

// Global hot keys through the desktop portal's GlobalShortcuts interface (Wayland desktops whose
// portal offers it, such as KDE's). Registration is answered at once and carried out in the
// background: one portal session, every registered combination bound in it, presses (Activated)
// and releases (Deactivated) delivered on the main thread. A missing portal or a refusal is
// logged once; nothing ever waits on the bus.
class PortalHotKeyBackend : public QObject, public HotKeyBackend {
    Q_OBJECT

public:
    explicit PortalHotKeyBackend(Logger& logger,
                                 QDBusConnection bus = QDBusConnection::sessionBus(),
                                 QObject* parent = nullptr);
    ~PortalHotKeyBackend() override;

    // The portal's trigger text, e.g. "CTRL+ALT+SHIFT+LOGO+u"; none for a key without a name.
    static std::optional<QString> triggerFor(quint32 carbonKeyCode, quint32 carbonModifiers);

    std::optional<Handle> registerHotKey(quint32 carbonKeyCode, quint32 carbonModifiers,
                                         HotKeyID hotKeyID) override;
    void unregisterHotKey(Handle handle) override;
    void setEventHandler(EventHandler handler) override;

private slots:
    void onResponse(const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);
    void onDeactivated(const QDBusMessage& message);

private:
    struct Shortcut {
        QString trigger;
        HotKeyID hotKeyID;
    };
    using Answer = std::function<void(uint response, const QVariantMap& results)>;
    enum class State { idle, creatingSession, ready, unavailable };

    // `options` gain the request's handle_token.
    void request(const QString& method, QVariantList arguments, QVariantMap options, Answer answer);
    void createSession();
    void bindShortcuts();
    void giveUp(const QString& reason);
    void deliver(const QDBusMessage& message, EventKind kind);
    static QString shortcutId(Handle handle);

    Logger& m_logger;
    QDBusConnection m_bus;
    State m_state = State::idle;
    QString m_session;
    bool m_binding = false;
    bool m_bindAgain = false;
    uint m_requests = 0;
    Handle m_nextHandle = 1;
    std::map<Handle, Shortcut> m_shortcuts;
    // Portal requests waiting for their Response signal, by request object path.
    std::map<QString, Answer> m_pending;
    // Responses that came before the reply telling their path, by path.
    static constexpr std::size_t maximumUnclaimed = 16;
    std::map<QString, std::pair<uint, QVariantMap>> m_unclaimed;
    EventHandler m_handler;
};
