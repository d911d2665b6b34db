#pragma once

#include "model/ProtectedApp.h"

#include <QObject>

class Defaults;
class Logger;

// The protected applications in insertion order: loaded once, and the only writer of the stored
// list. Every operation that changes it saves the whole list before returning.
class ProtectedAppsManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<ProtectedApp> apps READ apps WRITE setApps NOTIFY appsChanged)

public:
    ProtectedAppsManager(Defaults& defaults, Logger& logger, QObject* parent = nullptr);

    const QList<ProtectedApp>& apps() const { return m_apps; }
    // Replaces the in-memory list without saving it.
    void setApps(const QList<ProtectedApp>& apps);

    void addApp(const QString& bundleIdentifier, const QString& name, const QString& path);
    void removeApp(const ProtectedApp& app);
    void toggleApp(const ProtectedApp& app);
    // Makes the drive the app's only one, or frees the app with nullopt.
    void setRequiredDriveID(const ProtectedApp& app, const std::optional<QUuid>& driveID);
    // Any one of these drives unlocks the app; the first is its main one.
    void setRequiredDriveIDs(const ProtectedApp& app, const QList<QUuid>& driveIDs);
    void save();

signals:
    void appsChanged();
    // Sent after every save.
    void changed();

private:
    ProtectedApp* find(const QUuid& id);

    Defaults& m_defaults;
    Logger& m_logger;
    QList<ProtectedApp> m_apps;
};
