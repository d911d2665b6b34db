#pragma once

#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"

#include <QList>

// The drives that unlock one app: those of its drives still registered, in the app's order. Any
// one of the switched-on ones unlocks it; a switched-off drive unlocks nothing, and the app is
// free only when every registered one is switched off.
class AppKeys {
public:
    AppKeys(const ProtectedApp& app, const QList<ProtectedDrive>& registered);

    // Registered drives the app names, switched on or not.
    const QList<ProtectedDrive>& registered() const { return m_registered; }
    // The switched-on ones: the drives that unlock the app.
    const QList<ProtectedDrive>& keys() const { return m_keys; }
    // A switched-on drive is required; with none left the app runs freely.
    bool isLocked() const { return !m_keys.isEmpty(); }
    bool isKey(const QUuid& driveID) const;
    // Whether these keys open something those did not: a key more, or no lock at all.
    bool opensMoreThan(const AppKeys& before) const;

private:
    QList<ProtectedDrive> m_registered;
    QList<ProtectedDrive> m_keys;
};
