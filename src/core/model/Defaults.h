#pragma once

#include "model/AppSettings.h"
#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"

#include <QHash>
#include <QList>
#include <functional>
#include <optional>

class KeyValueStore;
class Logger;

// The persisted protection data and settings: four keys in the user's store, the lists and the
// settings as JSON bytes, the onboarding flag as a boolean. Every read asks the store; a list is
// decoded again only when its bytes changed, as the monitors read it at every turn.
class Defaults {
public:
    Defaults(KeyValueStore& store, Logger& logger);

    // Told the key of a damaged list and how many of its records could not be read; 0 when the
    // list itself could not be read.
    using DamageHandler = std::function<void(const QString& key, int unreadableRecords)>;

    // Lists keep the records that decode; bytes that are no list read as empty, undecodable
    // settings as AppSettings().
    QList<ProtectedApp> protectedApps() const;
    void setProtectedApps(const QList<ProtectedApp>& apps);
    QList<ProtectedDrive> protectedDrives() const;
    void setProtectedDrives(const QList<ProtectedDrive>& drives);
    AppSettings appSettings() const;
    void setAppSettings(const AppSettings& settings);
    bool hasCompletedOnboarding() const;
    void setHasCompletedOnboarding(bool completed);

    static QString unreadableKey(const QString& key);
    // The damage key told when the store as a whole could not be read (its reason is logged).
    static QString settingsFileKey();
    // Damage met before a handler was set is told when it is set.
    void setDamageHandler(DamageHandler handler);

private:
    struct Damage {
        QString key;
        int unreadableRecords = 0;
    };

    template <typename Record> struct Decoded {
        QByteArray bytes;
        QList<Record> records;
    };

    template <typename Record>
    QList<Record> readList(const QString& key, std::optional<Decoded<Record>>& last) const;
    void noticeDamage(const QString& key, const QByteArray& bytes, int unreadableRecords) const;
    void write(const QString& key, const QByteArray& json, bool (*decodes)(const QByteArray&));
    bool keepUnreadable(const QString& key, bool (*decodes)(const QByteArray&));

    KeyValueStore& m_store;
    Logger& m_logger;
    DamageHandler m_onDamage;
    mutable QHash<QString, QByteArray> m_toldDamage;
    mutable QList<Damage> m_waitingDamage;
    mutable std::optional<Decoded<ProtectedApp>> m_lastApps;
    mutable std::optional<Decoded<ProtectedDrive>> m_lastDrives;
};
