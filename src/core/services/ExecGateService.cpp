#include "services/ExecGateService.h"

#include "model/AppKeys.h"
#include "model/Defaults.h"
#include "model/LogName.h"
#include "model/NeverProtectedList.h"
#include "model/ProtectedAppsManager.h"
#include "model/ProtectedDrivesManager.h"
#include "ports/Logger.h"
#include "ports/Workspace.h"

#include <QPointer>

namespace {

// The protection settings have no change signal of their own; a glance this often is cheap,
// since the policy is built from memory.
constexpr double settingsCheckSeconds = 1.0;

bool isIdentityByContents(const QString& identity) {
    return identity.startsWith(QLatin1String("build-id:")) ||
           identity.startsWith(QLatin1String("sha256:"));
}

} // namespace

ExecGateService::ExecGateService(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(dependencies) {}

ExecGateService::~ExecGateService() {
    m_deps.scheduler.cancel(m_timer);
}

void ExecGateService::start() {
    QPointer<ExecGateService> self(this);
    m_deps.gate.setRefusalHandler([self](qint64 pid, const QString& appId) {
        if (self)
            self->handleRefusal(pid, appId);
    });
    m_deps.gate.setStartHandler([self] {
        if (!self)
            return;
        self->m_sent.reset();
        self->sendIfChanged();
    });
    connect(&m_deps.apps, &ProtectedAppsManager::changed, this, [this] {
        readProgramFiles();
        sendIfChanged();
    });
    connect(&m_deps.drives, &ProtectedDrivesManager::changed, this,
            &ExecGateService::sendIfChanged);
    m_timer = m_deps.scheduler.repeating(settingsCheckSeconds, [self] {
        if (self)
            self->sendIfChanged();
    });
    readProgramFiles();
    sendIfChanged();
}

// Reading where the programs are touches the disk, so it is done only when the list changes.
void ExecGateService::readProgramFiles() {
    m_filesById.clear();
    for (const ProtectedApp& app : m_deps.apps.apps())
        m_filesById.insert(app.bundleIdentifier,
                           m_deps.workspace.programFiles(app.bundleIdentifier, app.path));
}

// Any one of the app's switched-on drives known by UUID lets it start; with every one switched
// off the app runs freely, at the gate as in the session.
QStringList ExecGateService::volumesOf(const ProtectedApp& app) const {
    QStringList volumes;
    const AppKeys keys(app, m_deps.drives.drives());
    for (const ProtectedDrive& drive : keys.keys()) {
        if (drive.volumeUUIDString && !drive.volumeUUIDString->isEmpty())
            volumes.append(*drive.volumeUUIDString);
    }
    return volumes;
}

// Only enabled apps tied to a drive the store knows by UUID, with at least one identity by
// contents: a size alone would refuse unrelated programs. The identities are read from the store,
// where the app monitor keeps them current.
GatePolicy ExecGateService::currentPolicy() const {
    const AppSettings settings = m_deps.defaults.appSettings();
    GatePolicy policy{settings.isProtectionEnabled, settings.requirePasswordToQuit, {}};
    for (const ProtectedApp& app : m_deps.defaults.protectedApps()) {
        if (!app.isEnabled || !app.hasRequiredDrive() ||
            NeverProtectedList::contains(app.bundleIdentifier))
            continue;
        const QStringList volumes = volumesOf(app);
        if (volumes.isEmpty())
            continue;
        QStringList identities;
        for (const QString& identity : app.programs) {
            if (isIdentityByContents(identity))
                identities.append(identity);
        }
        if (identities.isEmpty())
            continue;
        policy.apps.append(GatedApp{app.bundleIdentifier, app.name,
                                    m_filesById.value(app.bundleIdentifier), identities, volumes});
    }
    return policy;
}

// One request at a time; what changed meanwhile goes with the next check.
void ExecGateService::sendIfChanged() {
    if (m_sending)
        return;
    const GatePolicy policy = currentPolicy();
    if (m_sent == policy)
        return;
    m_sending = true;
    QPointer<ExecGateService> self(this);
    m_deps.gate.setPolicy(policy, [self, policy](ExecGate::Outcome outcome, const QString& detail) {
        if (self)
            self->handleAnswer(policy, outcome, detail);
    });
}

void ExecGateService::handleAnswer(const GatePolicy& policy, ExecGate::Outcome outcome,
                                   const QString& detail) {
    m_sending = false;
    switch (outcome) {
    case ExecGate::Outcome::applied:
        if (m_state != State::active)
            m_deps.logger.log(
                QStringLiteral("[Velmora] Exec gate active: %1 apps refused without their drive")
                    .arg(policy.apps.size()));
        m_sent = policy;
        setState(State::active);
        return;
    case ExecGate::Outcome::notAuthorized:
        // The gate keeps the stricter policy it has; this one is asked for again only when it
        // changes once more.
        m_sent = policy;
        m_deps.logger.log(
            QStringLiteral("[Velmora] Exec gate kept its policy: loosening it was not allowed"));
        return;
    case ExecGate::Outcome::absent:
        if (m_state != State::absent)
            m_deps.logger.log(QStringLiteral("[Velmora] Exec gate not installed: protection "
                                             "lasts only while Velmora runs"));
        m_sent = policy;
        setState(State::absent);
        return;
    case ExecGate::Outcome::failed:
        m_deps.logger.log(
            QStringLiteral("[Velmora] Exec gate did not take the policy: %1").arg(logName(detail)));
        setState(State::failed);
        return;
    }
}

void ExecGateService::handleRefusal(qint64 pid, const QString& appId) {
    std::optional<ProtectedApp> app;
    for (const ProtectedApp& candidate : m_deps.apps.apps()) {
        if (candidate.bundleIdentifier == appId)
            app = candidate;
    }
    m_deps.logger.log(QStringLiteral("[Velmora] Start of %1 (pid=%2) refused by the exec gate")
                          .arg(logName(app ? app->name : appId), QString::number(pid)));
    if (app && onRefused)
        onRefused(*app);
}

void ExecGateService::setState(State state) {
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
}
