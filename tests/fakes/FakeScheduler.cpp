#include "fakes/FakeScheduler.h"

#include <algorithm>

Scheduler::Handle FakeScheduler::repeating(double intervalSeconds, Task task) {
    return add(intervalSeconds, true, std::move(task));
}

Scheduler::Handle FakeScheduler::once(double delaySeconds, Task task) {
    return add(delaySeconds, false, std::move(task));
}

void FakeScheduler::cancel(Handle handle) {
    m_timers.erase(handle);
}

void FakeScheduler::advance(double seconds) {
    const double end = m_now + seconds;
    for (;;) {
        // The earliest due timer; among equals the one scheduled first.
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->second.due <= end + 1e-9 &&
                (next == m_timers.end() || it->second.due < next->second.due - 1e-12))
                next = it;
        }
        if (next == m_timers.end())
            break;
        m_now = std::max(m_now, next->second.due);
        const Task task = next->second.task;
        if (next->second.repeats)
            next->second.due += std::max(next->second.interval, 1e-6);
        else
            m_timers.erase(next);
        task();
    }
    m_now = end;
}

Scheduler::Handle FakeScheduler::add(double delay, bool repeats, Task task) {
    const Handle handle = m_nextHandle++;
    m_timers.emplace(handle, Timer{m_now + std::max(delay, 0.0), delay, repeats, std::move(task)});
    return handle;
}
