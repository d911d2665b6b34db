#pragma once

#include "fakes/FakeNotifier.h"
#include "fakes/FakeOverlayState.h"
#include "fakes/MemoryStore.h"
#include "model/Defaults.h"
#include "model/ProtectedDrivesManager.h"
#include "ports/Logger.h"
#include "process/LinuxWorkspace.h"
#include "qt/QtScheduler.h"
#include "services/AppMonitorService.h"
#include "services/DriveMonitorService.h"
#include "storage/LinuxVolumeSource.h"

#include <QDeadlineTimer>
#include <sys/types.h>

class BenchProcesses;

// The program's app monitor on the real workspace, with the stand-in application protected by a
// drive that is never there, so every launch of it is killed.
class BenchMonitor {
public:
    // Unwatched: no exec watch, only the poll finds launches.
    explicit BenchMonitor(bool watched = true);

    // Starts the stand-in and waits for its death: the milliseconds it lived, or a negative
    // number when it still ran after 2 s.
    double timeOneKill(BenchProcesses& processes);

private:
    class QuietLogger : public Logger {
    public:
        void log(const QString&) override {}
    };

    QuietLogger m_logger;
    MemoryStore m_store;
    Defaults m_defaults;
    ProtectedDrivesManager m_drives;
    LinuxVolumeSource m_volumes;
    QtScheduler m_scheduler;
    FakeNotifier m_notifier;
    DriveMonitorService m_driveMonitor;
    LinuxWorkspace m_workspace;
    FakeOverlayState m_overlay;
    AppMonitorService m_monitor;
};
