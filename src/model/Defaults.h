#pragma once

#include "model/AppSettings.h"
#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"

#include <QList>

class KeyValueStore;
class Logger;

// The persisted protection data and settings: four keys in the user's store, the lists and the
// settings as JSON bytes, the onboarding flag as a boolean. Nothing is cached: every read decodes.
class Defaults {
public:
    Defaults(KeyValueStore& store, Logger& logger);

    // Undecodable lists read as empty, undecodable settings as AppSettings().
    QList<ProtectedApp> protectedApps() const;
    void setProtectedApps(const QList<ProtectedApp>& apps);
    QList<ProtectedDrive> protectedDrives() const;
    void setProtectedDrives(const QList<ProtectedDrive>& drives);
    AppSettings appSettings() const;
    void setAppSettings(const AppSettings& settings);
    bool hasCompletedOnboarding() const;
    void setHasCompletedOnboarding(bool completed);

    static QString unreadableKey(const QString& key);

private:
    void write(const QString& key, const QByteArray& json, bool (*decodes)(const QByteArray&));
    bool keepUnreadable(const QString& key, bool (*decodes)(const QByteArray&));

    KeyValueStore& m_store;
    Logger& m_logger;
};
