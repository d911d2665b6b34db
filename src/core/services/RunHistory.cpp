#include "services/RunHistory.h"

#include "ports/RunRecord.h"
#include "ports/Workspace.h"

RunHistory::RunHistory(RunRecord& record, Workspace& workspace, Scheduler& scheduler)
    : m_record(record)
    , m_workspace(workspace)
    , m_scheduler(scheduler) {}

// An orderly end records the exact time of stopping.
RunHistory::~RunHistory() {
    if (!m_started)
        return;
    m_scheduler.cancel(*m_timer);
    m_record.recordRunning();
}

void RunHistory::start() {
    if (m_started)
        return;
    m_started = true;
    m_lastRunning = m_record.lastRunning();
    m_record.recordRunning();
    m_timer = m_scheduler.repeating(recordIntervalSeconds, [this] { m_record.recordRunning(); });
}

bool RunHistory::startedWhileAway(const RunningApplication& app) const {
    if (!m_started || !m_lastRunning)
        return false;
    const std::optional<QDateTime> launched = m_workspace.launchDate(app);
    if (!launched)
        return false;
    return !m_lastRunning->isValid() || *launched > *m_lastRunning;
}
