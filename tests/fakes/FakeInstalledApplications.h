#pragma once

#include "ports/InstalledApplications.h"

// A fixed list of installed applications, in the order given.
class FakeInstalledApplications : public InstalledApplications {
public:
    QList<AppInfo> scan(const QSet<QString>& excluded, const QString&) const override {
        QList<AppInfo> shown;
        for (const AppInfo& app : applications) {
            if (!excluded.contains(app.bundleIdentifier))
                shown.append(app);
        }
        return shown;
    }

    QList<AppInfo> applications;
};
