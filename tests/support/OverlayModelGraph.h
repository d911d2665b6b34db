#pragma once

#include "fakes/CapturingLogger.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedAppsManager.h"
#include "model/ProtectedDrivesManager.h"
#include "services/LanguageManager.h"
#include "support/GuardRig.h"

// What a lock overlay's card reads, on fakes: the stores, the texts and the running applications;
// and the guard the settings views change the stores through.
struct OverlayModelGraph {
    MemoryStore store;
    CapturingLogger logger;
    FakeScheduler scheduler;
    Defaults defaults{store, logger};
    ProtectedAppsManager apps{defaults, logger};
    ProtectedDrivesManager drives{defaults, logger};
    FakeWorkspace workspace;
    LanguageManager language{defaults, scheduler, logger};
    GuardRig owner{defaults, scheduler, logger};
};
