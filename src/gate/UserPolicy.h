#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "model/GatedApp.h"

// What the gate enforces for one uid.
struct UserPolicy {
    bool protectionOn = false;
    bool requireAuthentication = false;
    QList<GatedApp> apps;

    bool operator==(const UserPolicy&) const = default;

    // The apps the gate refuses without their drive.
    QList<GatedApp> gatedApps() const;
    // True when `next` lets run anything this policy refuses: protection off, an app gone, or an
    // app's drives, paths or identities changed.
    bool isLoosenedBy(const UserPolicy& next) const;

    QByteArray toJson() const;
    // Stored text back to a policy; false (and `error` set) for anything malformed.
    static bool fromJson(const QByteArray& json, UserPolicy& policy, QString& error);
};
