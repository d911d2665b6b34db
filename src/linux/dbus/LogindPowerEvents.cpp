#include "dbus/LogindPowerEvents.h"

#include "ports/Logger.h"

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QGuiApplication>

namespace {
const QString service = QStringLiteral("org.freedesktop.login1");
const QString path = QStringLiteral("/org/freedesktop/login1");
const QString manager = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

LogindPowerEvents::LogindPowerEvents(Logger& logger, QDBusConnection bus, QString sessionId,
                                     QObject* parent)
    : QObject(parent)
    , m_logger(logger)
    , m_bus(std::move(bus))
    , m_sessionId(std::move(sessionId)) {
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this, &LogindPowerEvents::notify);
    const bool running = m_bus.isConnected() && m_bus.interface() &&
                         m_bus.interface()->isServiceRegistered(service).value();
    if (!running) {
        m_logger.log(QStringLiteral(
            "[Velmora] systemd-logind is not available; power-off will not be noticed"));
        return;
    }
    m_bus.connect(service, path, manager, QStringLiteral("PrepareForShutdown"), this,
                  SLOT(prepareForShutdown(bool)));
    m_bus.connect(service, path, manager, QStringLiteral("SessionRemoved"), this,
                  SLOT(sessionRemoved(QString, QDBusObjectPath)));
}

void LogindPowerEvents::onPowerOff(std::function<void()> handler) {
    m_handler = std::move(handler);
}

void LogindPowerEvents::prepareForShutdown(bool starting) {
    if (starting)
        notify();
}

void LogindPowerEvents::sessionRemoved(const QString& id, const QDBusObjectPath&) {
    if (!m_sessionId.isEmpty() && id == m_sessionId)
        notify();
}

void LogindPowerEvents::notify() {
    if (m_handler)
        m_handler();
}
