#pragma once

#include "model/GatePolicy.h"
#include "ports/ExecGate.h"
#include "ports/Scheduler.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <optional>

class Defaults;
class Logger;
class ProtectedAppsManager;
class ProtectedDrivesManager;
class Workspace;
struct ProtectedApp;

// Keeps the system's exec gate, where there is one, refusing what Velmora protects: sends this
// user's policy whenever it changes, and turns the gate's refusals into the same report a killed
// launch gives.
class ExecGateService : public QObject {
    Q_OBJECT

public:
    enum class State { unknown, active, absent, failed };

    struct Dependencies {
        ExecGate& gate;
        Workspace& workspace;
        Scheduler& scheduler;
        const Defaults& defaults;
        const ProtectedAppsManager& apps;
        const ProtectedDrivesManager& drives;
        Logger& logger;
    };

    explicit ExecGateService(Dependencies dependencies, QObject* parent = nullptr);
    ~ExecGateService() override;

    // Sends the first policy, then follows the stores and the protection settings.
    void start();
    State state() const { return m_state; }
    GatePolicy currentPolicy() const;

    std::function<void(const ProtectedApp& app)> onRefused;

signals:
    void stateChanged();

private:
    QStringList volumesOf(const ProtectedApp& app) const;
    void readProgramFiles();
    void sendIfChanged();
    void handleAnswer(const GatePolicy& policy, ExecGate::Outcome outcome, const QString& detail);
    void handleRefusal(qint64 pid, const QString& appId);
    void setState(State state);

    Dependencies m_deps;
    QHash<QString, QStringList> m_filesById;
    std::optional<GatePolicy> m_sent;
    bool m_sending = false;
    Scheduler::Handle m_timer = 0;
    State m_state = State::unknown;
};
