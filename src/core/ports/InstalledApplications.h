#pragma once

#include "model/AppInfo.h"

#include <QList>
#include <QSet>
#include <QString>

// The installed applications a user may choose from.
class InstalledApplications {
public:
    virtual ~InstalledApplications() = default;
    // The applications whose IDs are not in `excluded`, sorted by name for `localeName`
    // (a POSIX locale name such as "zh_CN").
    virtual QList<AppInfo> scan(const QSet<QString>& excluded, const QString& localeName) const = 0;
};
