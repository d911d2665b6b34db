#pragma once

#include "fakes/FakeWorkspace.h"
#include "model/ProtectedAppsManager.h"
#include "services/LanguageManager.h"
#include "support/DriveStores.h"
#include "support/GuardRig.h"

// What a lock overlay's card reads, on fakes: the stores, the texts and the running applications;
// and the guard the settings views change the stores through.
struct OverlayModelGraph : DriveStores {
    ProtectedAppsManager apps{defaults, logger};
    FakeWorkspace workspace;
    LanguageManager language{defaults, scheduler, logger};
    GuardRig owner{defaults, scheduler, logger};
};
