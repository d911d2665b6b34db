#pragma once

#include <QString>
#include <QStringList>

// What the exec gate refuses for one user: the programs of each protected application, by path
// and by contents, and the drives any of which lets them start.
struct GatedApp {
    QString appId;
    QString appName;
    QStringList programPaths;
    QStringList programIdentities;
    QStringList driveUuids;

    bool operator==(const GatedApp&) const = default;
};

struct GatePolicy {
    bool protectionOn = false;
    bool requireAuthentication = false;
    QList<GatedApp> apps;

    bool operator==(const GatePolicy&) const = default;
};
