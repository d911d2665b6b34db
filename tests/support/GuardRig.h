#pragma once

#include "fakes/FakeAuthBackend.h"
#include "services/LooseningGuard.h"
#include "services/SystemAuthService.h"

// The loosening guard over a scripted owner: requests wait in `backend.pending`.
struct GuardRig {
    GuardRig(const Defaults& defaults, Scheduler& scheduler, Logger& logger)
        : auth(backend, scheduler, logger)
        , guard(defaults, auth, logger) {}

    FakeAuthBackend backend;
    SystemAuthService auth;
    LooseningGuard guard;
};
