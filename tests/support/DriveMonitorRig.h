#pragma once

#include "fakes/FakeNotifier.h"
#include "fakes/FakeVolumeSource.h"
#include "services/DriveMonitorService.h"
#include "support/DriveStores.h"

// A drive monitor on fakes, not yet polling, over `Stores`: anything with members `scheduler`,
// `drives`, `defaults` and `logger`. Nothing is mounted until a test mounts it.
template <typename Stores = DriveStores> struct DriveMonitorRig : Stores {
    using Stores::Stores;

    FakeVolumeSource volumes;
    FakeNotifier notifier;
    DriveMonitorService driveMonitor{
        {this->scheduler, notifier, volumes, this->drives, this->defaults, this->logger}};
};
