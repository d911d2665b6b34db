#pragma once

#include "model/GatedApp.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QMetaType>

// GatedApp on the bus, for both ends of it: (appId, appName, programPaths, programIdentities,
// driveUuids), sent as a(ssasass).
inline QDBusArgument& operator<<(QDBusArgument& argument, const GatedApp& app) {
    argument.beginStructure();
    argument << app.appId << app.appName << app.programPaths << app.programIdentities
             << app.driveUuids;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, GatedApp& app) {
    argument.beginStructure();
    argument >> app.appId >> app.appName >> app.programPaths >> app.programIdentities >>
        app.driveUuids;
    argument.endStructure();
    return argument;
}

Q_DECLARE_METATYPE(GatedApp)

inline void registerGatedAppDbusTypes() {
    qDBusRegisterMetaType<GatedApp>();
    qDBusRegisterMetaType<QList<GatedApp>>();
}
