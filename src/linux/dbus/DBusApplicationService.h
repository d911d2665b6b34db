#pragma once

#include "ports/ApplicationBus.h"

#include <QObject>
#include <QVariantMap>

class Logger;

// com.tarnwick.Velmora on the session bus, answering org.freedesktop.Application at
// /com/tarnwick/Velmora, so a launcher or a second copy can bring the program up even where no
// tray shows its icon.
class DBusApplicationService : public QObject, public ApplicationBus {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    static inline const QString serviceName = QStringLiteral("com.tarnwick.Velmora");
    static inline const QString objectPath = QStringLiteral("/com/tarnwick/Velmora");

    explicit DBusApplicationService(Logger& logger, QObject* parent = nullptr);

    bool publish(std::function<void()> onActivate) override;
    void activateRunningCopy(std::function<void()> done) override;
    void setActionHandler(std::function<bool(const QString& action)> handler) override;

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& actionName, const QVariantList& parameter,
                                     const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);

private:
    Logger& m_logger;
    std::function<void()> m_onActivate;
    std::function<bool(const QString& action)> m_onAction;
};
