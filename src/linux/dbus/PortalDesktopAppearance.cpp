#include "dbus/PortalDesktopAppearance.h"

#include "ports/Logger.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.Settings");
const QString group = QStringLiteral("org.freedesktop.appearance");
const QString key = QStringLiteral("color-scheme");

// Read() wraps the value in one more variant than SettingChanged does.
QVariant unwrapped(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

PortalDesktopAppearance::PortalDesktopAppearance(Logger& logger, QObject* parent)
    : QObject(parent)
    , m_logger(logger) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(service, path, interface, QStringLiteral("SettingChanged"), this,
                SLOT(settingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Read"));
    read << group << key;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *call;
                if (reply.isError()) {
                    m_logger.log(QStringLiteral("[Velmora] Desktop colour scheme unknown (%1); "
                                                "the tray icon is drawn light")
                                     .arg(reply.error().message()));
                    return;
                }
                apply(reply.value().variant());
            });
}

void PortalDesktopAppearance::settingChanged(const QString& changedGroup, const QString& changedKey,
                                             const QDBusVariant& value) {
    if (changedGroup == group && changedKey == key)
        apply(value.variant());
}

// 1 prefers dark, 2 prefers light, anything else has no preference.
void PortalDesktopAppearance::apply(const QVariant& value) {
    const uint code = unwrapped(value).toUInt();
    const ColorScheme scheme = code == 1   ? ColorScheme::dark
                               : code == 2 ? ColorScheme::light
                                           : ColorScheme::noPreference;
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    notifyChanged();
}
