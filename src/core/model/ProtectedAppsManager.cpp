#include "model/ProtectedAppsManager.h"

#include "model/Defaults.h"
#include "model/LogName.h"
#include "ports/Logger.h"

ProtectedAppsManager::ProtectedAppsManager(Defaults& defaults, Logger& logger, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_logger(logger)
    , m_apps(defaults.protectedApps()) {}

void ProtectedAppsManager::setApps(const QList<ProtectedApp>& apps) {
    m_apps = apps;
    emit appsChanged();
}

void ProtectedAppsManager::addApp(const QString& bundleIdentifier, const QString& name,
                                  const QString& path) {
    for (const ProtectedApp& app : m_apps) {
        if (app.bundleIdentifier == bundleIdentifier)
            return;
    }
    m_apps.append(ProtectedApp{QUuid::createUuid(), bundleIdentifier, name, path, true,
                               std::nullopt, QDateTime::currentDateTimeUtc()});
    emit appsChanged();
    save();
    m_logger.log(QStringLiteral("[Velmora] Added protected app: %1 (%2)")
                     .arg(logName(name), logName(bundleIdentifier)));
}

void ProtectedAppsManager::removeApp(const ProtectedApp& app) {
    if (m_apps.removeIf([&](const ProtectedApp& each) { return each.id == app.id; }) > 0)
        emit appsChanged();
    save();
    m_logger.log(QStringLiteral("[Velmora] Removed protected app: %1").arg(logName(app.name)));
}

void ProtectedAppsManager::toggleApp(const ProtectedApp& app) {
    ProtectedApp* stored = find(app.id);
    if (!stored)
        return;
    stored->isEnabled = !stored->isEnabled;
    emit appsChanged();
    save();
}

void ProtectedAppsManager::setRequiredDriveID(const ProtectedApp& app,
                                              const std::optional<QUuid>& driveID) {
    setRequiredDriveIDs(app, driveID ? QList<QUuid>{*driveID} : QList<QUuid>{});
}

void ProtectedAppsManager::setRequiredDriveIDs(const ProtectedApp& app,
                                               const QList<QUuid>& driveIDs) {
    ProtectedApp* stored = find(app.id);
    if (!stored)
        return;
    stored->setRequiredDriveIDs(driveIDs);
    emit appsChanged();
    save();
}

// The programs are the app monitor's to record; the stored ones are carried over.
void ProtectedAppsManager::save() {
    const QList<ProtectedApp> stored = m_defaults.protectedApps();
    for (ProtectedApp& app : m_apps) {
        for (const ProtectedApp& each : stored) {
            if (each.id == app.id)
                app.programs = each.programs;
        }
    }
    m_defaults.setProtectedApps(m_apps);
    emit changed();
}

ProtectedApp* ProtectedAppsManager::find(const QUuid& id) {
    for (ProtectedApp& app : m_apps) {
        if (app.id == id)
            return &app;
    }
    return nullptr;
}
