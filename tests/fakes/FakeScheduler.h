#pragma once

#include "ports/Scheduler.h"

#include <map>

// A virtual clock: advance() fires due timers in time order, never sleeping.
class FakeScheduler : public Scheduler {
public:
    Handle repeating(double intervalSeconds, Task task) override;
    Handle once(double delaySeconds, Task task) override;
    void cancel(Handle handle) override;

    void advance(double seconds);
    double now() const { return m_now; }
    bool isScheduled(Handle handle) const { return m_timers.count(handle) > 0; }
    std::size_t pendingCount() const { return m_timers.size(); }

private:
    struct Timer {
        double due = 0;
        double interval = 0;
        bool repeats = false;
        Task task;
    };

    Handle add(double delay, bool repeats, Task task);

    double m_now = 0;
    Handle m_nextHandle = 1;
    std::map<Handle, Timer> m_timers;
};
