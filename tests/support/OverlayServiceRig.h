#pragma once

#include "fakes/FakeKeyMonitor.h"
#include "fakes/FakeNotifier.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/FakeSelfActivation.h"
#include "fakes/FakeVolumeSource.h"
#include "services/AppMonitorService.h"
#include "services/DriveMonitorService.h"
#include "services/OverlayWindowService.h"

// The whole overlay service, with the monitors it needs on fakes, over the screens and windows of
// `Graph`: an OverlayModelGraph with members `screens` and `overlays`.
template <typename Graph> struct OverlayServiceRig : Graph {
    using Graph::Graph;

    FakeVolumeSource volumes;
    FakeNotifier notifier;
    DriveMonitorService driveMonitor{
        {this->scheduler, notifier, volumes, this->drives, this->defaults, this->logger}};
    FakeOverlayState noOverlay;
    AppMonitorService appMonitor{this->workspace, this->scheduler, this->defaults, this->drives,
                                 driveMonitor,    noOverlay,       this->logger};
    FakeKeyMonitor keys;
    FakeSelfActivation selfActivation;
    OverlayWindowService service{{this->scheduler, this->screens, this->overlays, keys,
                                  selfActivation, this->workspace, this->defaults, this->logger},
                                 appMonitor};
};
