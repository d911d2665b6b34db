#pragma once

#include "platform/Notifier.h"

#include <QDBusConnection>
#include <QObject>

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
};
