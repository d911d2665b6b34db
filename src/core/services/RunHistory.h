#pragma once

#include "ports/RunningApplication.h"
#include "ports/Scheduler.h"

#include <QDateTime>
#include <optional>

class RunRecord;
class Workspace;

// Tells an application started while Velmora was not running from one that was already
// running with it. Velmora records itself as running every few seconds, so a kill that leaves it
// no last word still leaves the time it stopped, to within that interval.
class RunHistory {
public:
    static constexpr double recordIntervalSeconds = 10.0;

    RunHistory(RunRecord& record, Workspace& workspace, Scheduler& scheduler);
    ~RunHistory();
    RunHistory(const RunHistory&) = delete;
    RunHistory& operator=(const RunHistory&) = delete;

    // Reads when Velmora last ran, then records from now on; called once at launch.
    void start();
    // True when the process started after Velmora last ran (or Velmora never ran in this
    // session); false when it may have started under Velmora's watch, or nobody can tell.
    bool startedWhileAway(const RunningApplication& app) const;

private:
    RunRecord& m_record;
    Workspace& m_workspace;
    Scheduler& m_scheduler;
    bool m_started = false;
    std::optional<QDateTime> m_lastRunning;
    std::optional<Scheduler::Handle> m_timer;
};
