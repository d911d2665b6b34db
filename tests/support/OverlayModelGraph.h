#pragma once

#include "fakes/FakeWorkspace.h"
#include "model/ProtectedAppsManager.h"
#include "services/LanguageManager.h"
#include "support/DriveStores.h"

// What a lock overlay's card reads, on fakes: the stores, the texts and the running applications.
struct OverlayModelGraph : DriveStores {
    ProtectedAppsManager apps{defaults, logger};
    FakeWorkspace workspace;
    LanguageManager language{defaults, scheduler, logger};
};
