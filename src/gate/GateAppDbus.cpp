#include "GateAppDbus.h"

#include <QDBusMetaType>

QDBusArgument& operator<<(QDBusArgument& argument, const GateApp& app) {
    argument.beginStructure();
    argument << app.appId << app.appName << app.programPaths << app.programIdentities
             << app.driveUuids;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, GateApp& app) {
    argument.beginStructure();
    argument >> app.appId >> app.appName >> app.programPaths >> app.programIdentities >>
        app.driveUuids;
    argument.endStructure();
    return argument;
}

void GateAppDbus::registerTypes() {
    qDBusRegisterMetaType<GateApp>();
    qDBusRegisterMetaType<QList<GateApp>>();
}
