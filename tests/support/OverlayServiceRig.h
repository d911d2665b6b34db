#pragma once

#include "fakes/FakeKeyMonitor.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/FakeSelfActivation.h"
#include "services/AppMonitorService.h"
#include "services/OverlayWindowService.h"
#include "support/DriveMonitorRig.h"

// The whole overlay service, with the monitors it needs on fakes, over the screens and windows of
// `Graph`: an OverlayModelGraph with members `screens` and `overlays`.
template <typename Graph> struct OverlayServiceRig : DriveMonitorRig<Graph> {
    using DriveMonitorRig<Graph>::DriveMonitorRig;

    FakeOverlayState noOverlay;
    AppMonitorService appMonitor{this->workspace,    this->scheduler, this->defaults, this->drives,
                                 this->driveMonitor, noOverlay,       this->logger};
    FakeKeyMonitor keys;
    FakeSelfActivation selfActivation;
    OverlayWindowService service{{this->scheduler, this->screens, this->overlays, keys,
                                  selfActivation, this->workspace, this->defaults, this->logger},
                                 appMonitor};
};
