#pragma once

#include <QString>
#include <QStringList>

// One protected application as the exec gate knows it: its programs by path and by contents,
// and the drives any of which lets them start. The session program sends it and the gate keeps
// it, so both sides share this one record.
struct GatedApp {
    QString appId;
    QString appName;
    QStringList programPaths;
    QStringList programIdentities;
    // Any of these filesystems mounted lets the app run; none: the app is never gated.
    QStringList driveUuids;

    bool operator==(const GatedApp&) const = default;
};
