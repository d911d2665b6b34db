#pragma once

#include "fakes/CapturingLogger.h"
#include "fakes/FakeScheduler.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedAppsManager.h"
#include "model/ProtectedDrivesManager.h"
#include "services/LanguageManager.h"

// What a lock overlay's card reads, on fakes: the stores, the texts and the running applications.
struct OverlayModelGraph {
    MemoryStore store;
    CapturingLogger logger;
    FakeScheduler scheduler;
    Defaults defaults{store, logger};
    ProtectedAppsManager apps{defaults, logger};
    ProtectedDrivesManager drives{defaults, logger};
    FakeWorkspace workspace;
    LanguageManager language{defaults, scheduler, logger};
};
