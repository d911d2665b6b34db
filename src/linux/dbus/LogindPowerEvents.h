#pragma once

#include "ports/PowerEvents.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>

class Logger;

// Power-off and the end of the session, from systemd-logind on the system bus, and from the
// desktop's session manager when it asks applications to save before logging out.
class LogindPowerEvents : public QObject, public PowerEvents {
    Q_OBJECT

public:
    explicit LogindPowerEvents(Logger& logger, QDBusConnection bus = QDBusConnection::systemBus(),
                               QString sessionId = qEnvironmentVariable("XDG_SESSION_ID"),
                               QObject* parent = nullptr);

    void onPowerOff(std::function<void()> handler) override;

private slots:
    void prepareForShutdown(bool starting);
    void sessionRemoved(const QString& id, const QDBusObjectPath& path);

private:
    void notify();

    Logger& m_logger;
    QDBusConnection m_bus;
    QString m_sessionId;
    std::function<void()> m_handler;
};
