#pragma once

#include "ports/ExecGate.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

// The exec gate `velmora-gate` on the system bus, started by bus activation where it is
// installed. Only this user's refusals are passed on; the bus tells the gate who is calling.
class DBusExecGate : public QObject, public ExecGate {
    Q_OBJECT

public:
    static const QString serviceName;
    static const QString objectPath;
    static const QString interfaceName;

    explicit DBusExecGate(QDBusConnection bus = QDBusConnection::systemBus(),
                          QObject* parent = nullptr);

    void setPolicy(const GatePolicy& policy, Done done) override;
    void setRefusalHandler(RefusalHandler handler) override;
    void setStartHandler(std::function<void()> handler) override;

private slots:
    void onExecRefused(uint uid, uint pid, const QString& appId);

private:
    static Outcome outcomeOf(const QString& errorName);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    RefusalHandler m_refused;
    std::function<void()> m_started;
};
