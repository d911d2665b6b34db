#pragma once

#include "model/GatedApp.h"

#include <QList>

// What the exec gate refuses for one user.
struct GatePolicy {
    bool protectionOn = false;
    bool requireAuthentication = false;
    QList<GatedApp> apps;

    bool operator==(const GatePolicy&) const = default;
};
