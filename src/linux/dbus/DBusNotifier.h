#pragma once

#include "ports/Notifier.h"

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QPair>

class Logger;

// Notifications through the desktop's org.freedesktop.Notifications server on the session bus.
class DBusNotifier : public QObject, public Notifier {
    Q_OBJECT

public:
    explicit DBusNotifier(Logger& logger, QDBusConnection bus = QDBusConnection::sessionBus(),
                          QObject* parent = nullptr);

    void requestPermission(std::function<void(bool granted)> answer) override;
    void post(const QString& identifier, const QString& title, const QString& body,
              bool withSound) override;

private:
    Logger& m_logger;
    QDBusConnection m_bus;
    quint32 serverId(const QString& identifier) const;
    void rememberServerId(const QString& identifier, quint32 id);

    // The server's id of the notification last posted under each of the latest identifiers;
    // bounded, since most identifiers are used once.
    QList<QPair<QString, quint32>> m_serverIds;
    bool m_toldNoBus = false;
};
