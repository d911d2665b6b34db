#pragma once

#include "ExecDecider.h"
#include "FanotifyGate.h"
#include "PolicyStore.h"
#include "dbus/GatedAppDbus.h"

#include <QDBusContext>
#include <QMap>
#include <QObject>

// The gate on the system bus: each user's Velmora sets that user's policy; the uid is the
// caller's, from the bus. Loosening a policy that asks for it needs polkit's consent.
class GateService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.tarnwick.VelmoraGate1")

public:
    GateService(PolicyStore& store, ExecDecider& decider, FanotifyGate& gate);

    void loadStored();
    void reportRefusal(const ExecVerdict& verdict, pid_t pid);

public slots:
    Q_SCRIPTABLE void SetPolicy(bool protectionOn, bool requireAuthentication,
                                const QList<GatedApp>& apps);
    Q_SCRIPTABLE void Forget();
    Q_SCRIPTABLE bool Status(uint& gatedApps);

signals:
    Q_SCRIPTABLE void ExecRefused(uint uid, uint pid, const QString& appId);

private:
    bool callerUid(uid_t& uid);
    // Applies `next` (nullopt: forget) now, or after polkit agrees when it loosens.
    void change(uid_t uid, const std::optional<UserPolicy>& next);
    void apply(uid_t uid, const std::optional<UserPolicy>& next);
    void authorizeThenApply(uid_t uid, const std::optional<UserPolicy>& next, quint64 change);
    void publish();

    PolicyStore& m_store;
    ExecDecider& m_decider;
    FanotifyGate& m_gate;
    QMap<uid_t, UserPolicy> m_policies;
    // Counts each user's requests, so an answer from polkit that arrives after a newer request
    // never puts back the older policy.
    QMap<uid_t, quint64> m_changes;
};
