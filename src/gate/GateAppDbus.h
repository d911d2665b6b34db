#pragma once

#include "GatePolicy.h"

#include <QDBusArgument>
#include <QMetaType>

// GateApp on the bus: (appId, appName, programPaths, programIdentities, driveUuids).
QDBusArgument& operator<<(QDBusArgument& argument, const GateApp& app);
const QDBusArgument& operator>>(const QDBusArgument& argument, GateApp& app);

namespace GateAppDbus {
void registerTypes();
}

Q_DECLARE_METATYPE(GateApp)
