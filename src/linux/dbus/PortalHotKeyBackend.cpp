#include "dbus/PortalHotKeyBackend.h"

#include "hotkey/ModifierFlags.h"
#include "ports/Logger.h"
#include "x11/X11KeySymbols.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <algorithm>

// One entry of BindShortcuts' a(sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString fallbackAdvice = QStringLiteral(
    "the panic key can be had by binding `velmora --panic` in the desktop's keyboard settings");

// Whether a BindShortcuts Response's `shortcuts` holds every one of these IDs.
bool bindsAll(const QVariantMap& results, const QStringList& ids) {
    QList<PortalShortcut> bound;
    const QVariant value = results.value(QStringLiteral("shortcuts"));
    if (value.canConvert<QDBusArgument>())
        bound = qdbus_cast<QList<PortalShortcut>>(value.value<QDBusArgument>());
    return std::all_of(ids.begin(), ids.end(), [&](const QString& id) {
        return std::any_of(bound.begin(), bound.end(),
                           [&](const PortalShortcut& each) { return each.id == id; });
    });
}

QString pathText(const QVariant& value) {
    if (value.canConvert<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

PortalHotKeyBackend::PortalHotKeyBackend(Logger& logger, QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_logger(logger)
    , m_bus(std::move(bus)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    // Any request path: an older portal may answer on another path than the one asked for.
    m_bus.connect(portalService, QString(), requestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(QDBusMessage)));
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusMessage)));
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Deactivated"),
                  this, SLOT(onDeactivated(QDBusMessage)));
}

PortalHotKeyBackend::~PortalHotKeyBackend() {
    if (m_session.isEmpty())
        return;
    // Not waited for: the portal drops the bindings with the session.
    m_bus.send(QDBusMessage::createMethodCall(portalService, m_session,
                                              QStringLiteral("org.freedesktop.portal.Session"),
                                              QStringLiteral("Close")));
}

std::optional<QString> PortalHotKeyBackend::triggerFor(quint32 carbonKeyCode,
                                                       quint32 carbonModifiers) {
    return X11KeySymbols::shortcutText(carbonKeyCode, carbonModifiers,
                                       {{ModifierFlags::command, "CTRL"},
                                        {ModifierFlags::option, "ALT"},
                                        {ModifierFlags::shift, "SHIFT"},
                                        {ModifierFlags::control, "LOGO"}});
}

std::optional<HotKeyBackend::Handle> PortalHotKeyBackend::registerHotKey(quint32 carbonKeyCode,
                                                                         quint32 carbonModifiers,
                                                                         HotKeyID hotKeyID) {
    const auto trigger = triggerFor(carbonKeyCode, carbonModifiers);
    if (!trigger || m_state == State::unavailable)
        return std::nullopt;
    const Handle handle = m_nextHandle++;
    m_shortcuts.emplace(handle, Shortcut{*trigger, hotKeyID});
    if (m_state == State::idle)
        createSession();
    else
        bindShortcuts();
    return handle;
}

void PortalHotKeyBackend::unregisterHotKey(Handle handle) {
    if (m_shortcuts.erase(handle) > 0)
        bindShortcuts();
}

void PortalHotKeyBackend::setEventHandler(EventHandler handler) {
    m_handler = std::move(handler);
}

QString PortalHotKeyBackend::shortcutId(Handle handle) {
    return QStringLiteral("velmora-%1").arg(handle);
}

// Portal calls answer at once with a request object; the outcome comes later as its Response.
void PortalHotKeyBackend::request(const QString& method, QVariantList arguments,
                                  QVariantMap options, Answer answer) {
    const QString token = QStringLiteral("velmora%1").arg(++m_requests);
    options.insert(QStringLiteral("handle_token"), token);
    arguments << options;
    const QString sender = m_bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString expected = portalPath + QStringLiteral("/request/") + sender + u'/' + token;
    m_pending[expected] = std::move(answer);

    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, expected](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                auto pending = m_pending.extract(expected);
                if (reply.isError()) {
                    giveUp(reply.error().message());
                    return;
                }
                // Already answered: the Response came on the expected path before this reply
                // was handled, or the backend gave up meanwhile.
                if (pending.empty())
                    return;
                const QString path = reply.value().path();
                auto early = m_unclaimed.extract(path);
                if (!early.empty()) {
                    pending.mapped()(early.mapped().first, early.mapped().second);
                    return;
                }
                pending.key() = path;
                m_pending.insert(std::move(pending));
            });
}

void PortalHotKeyBackend::onResponse(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const uint response = arguments.at(0).toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(arguments.at(1).value<QDBusArgument>());
    auto pending = m_pending.extract(message.path());
    if (!pending.empty()) {
        pending.mapped()(response, results);
        return;
    }
    // A portal may answer on a path of its own before its reply naming that path arrives; kept
    // for the reply. Other programs' answers pass through here too, so only a few are kept.
    if (m_unclaimed.size() >= maximumUnclaimed)
        m_unclaimed.clear();
    m_unclaimed[message.path()] = {response, results};
}

void PortalHotKeyBackend::createSession() {
    m_state = State::creatingSession;
    const QVariantMap options{{QStringLiteral("session_handle_token"), QStringLiteral("velmora")}};
    request(QStringLiteral("CreateSession"), {}, options,
            [this](uint response, const QVariantMap& results) {
                m_session = pathText(results.value(QStringLiteral("session_handle")));
                if (response != 0 || m_session.isEmpty()) {
                    giveUp(QStringLiteral("the desktop refused a shortcut session"));
                    return;
                }
                m_state = State::ready;
                bindShortcuts();
            });
}

// The portal binds the session's whole list each time, so a change sends the list again.
void PortalHotKeyBackend::bindShortcuts() {
    if (m_state != State::ready)
        return;
    if (m_binding) {
        m_bindAgain = true;
        return;
    }
    m_binding = true;
    QList<PortalShortcut> shortcuts;
    QStringList ids;
    for (const auto& [handle, shortcut] : m_shortcuts) {
        ids.append(shortcutId(handle));
        shortcuts.append({ids.last(),
                          {{QStringLiteral("description"), QStringLiteral("Velmora panic key")},
                           {QStringLiteral("preferred_trigger"), shortcut.trigger}}});
    }
    const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(m_session)),
                                 QVariant::fromValue(shortcuts), QString()};
    request(QStringLiteral("BindShortcuts"), arguments, {},
            [this, ids](uint response, const QVariantMap& results) {
                m_binding = false;
                if (response != 0) {
                    giveUp(QStringLiteral("the desktop refused the shortcuts"));
                    return;
                }
                // KDE answers success with an empty list when it has no application to file the
                // shortcuts under: nothing is bound then.
                if (!bindsAll(results, ids)) {
                    giveUp(QStringLiteral("the desktop bound none of the shortcuts"));
                    return;
                }
                if (std::exchange(m_bindAgain, false))
                    bindShortcuts();
            });
}

void PortalHotKeyBackend::giveUp(const QString& reason) {
    m_pending.clear();
    m_unclaimed.clear();
    m_binding = false;
    if (m_state == State::unavailable)
        return;
    m_state = State::unavailable;
    m_logger.log(QStringLiteral("[Velmora] Global shortcuts through the desktop portal are not "
                                "available (%1); %2")
                     .arg(reason, fallbackAdvice));
}

void PortalHotKeyBackend::onActivated(const QDBusMessage& message) {
    deliver(message, EventKind::pressed);
}

void PortalHotKeyBackend::onDeactivated(const QDBusMessage& message) {
    deliver(message, EventKind::released);
}

void PortalHotKeyBackend::deliver(const QDBusMessage& message, EventKind kind) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || pathText(arguments.at(0)) != m_session || !m_handler)
        return;
    for (const auto& [handle, shortcut] : m_shortcuts) {
        if (shortcutId(handle) == arguments.at(1).toString()) {
            m_handler({shortcut.hotKeyID, kind});
            return;
        }
    }
}
