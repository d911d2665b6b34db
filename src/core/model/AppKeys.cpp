#include "model/AppKeys.h"

#include <algorithm>

AppKeys::AppKeys(const ProtectedApp& app, const QList<ProtectedDrive>& registered) {
    for (const QUuid& id : app.requiredDriveIDs()) {
        for (const ProtectedDrive& drive : registered) {
            if (drive.id != id)
                continue;
            m_registered.append(drive);
            if (drive.isEnabled)
                m_keys.append(drive);
        }
    }
}

bool AppKeys::isKey(const QUuid& driveID) const {
    return std::any_of(m_keys.begin(), m_keys.end(),
                       [&](const ProtectedDrive& drive) { return drive.id == driveID; });
}

bool AppKeys::opensMoreThan(const AppKeys& before) const {
    if (!before.isLocked())
        return false;
    if (!isLocked())
        return true;
    return std::any_of(m_keys.begin(), m_keys.end(),
                       [&](const ProtectedDrive& drive) { return !before.isKey(drive.id); });
}
