#pragma once

#include "fakes/CapturingLogger.h"
#include "fakes/FakeScheduler.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"

// The stores a drive monitor reads, in memory and empty, with a hand-driven clock.
struct DriveStores {
    MemoryStore store;
    CapturingLogger logger;
    FakeScheduler scheduler;
    Defaults defaults{store, logger};
    ProtectedDrivesManager drives{defaults, logger};
};
