#include "qt/QtScheduler.h"

#include <QTimer>
#include <cmath>

QtScheduler::QtScheduler(QObject* parent)
    : QObject(parent) {}

QtScheduler::~QtScheduler() {
    for (auto& [handle, timer] : m_timers)
        delete timer;
}

Scheduler::Handle QtScheduler::repeating(double intervalSeconds, Task task) {
    return start(intervalSeconds, false, std::move(task));
}

Scheduler::Handle QtScheduler::once(double delaySeconds, Task task) {
    return start(delaySeconds, true, std::move(task));
}

void QtScheduler::cancel(Handle handle) {
    const auto found = m_timers.find(handle);
    if (found == m_timers.end())
        return;
    found->second->stop();
    found->second->deleteLater();
    m_timers.erase(found);
}

Scheduler::Handle QtScheduler::start(double seconds, bool singleShot, Task task) {
    const Handle handle = m_nextHandle++;
    auto* timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(singleShot);
    timer->setInterval(static_cast<int>(std::lround(std::max(0.0, seconds) * 1000.0)));
    connect(timer, &QTimer::timeout, this, [this, handle, singleShot, task = std::move(task)] {
        // Copy first: cancelling from inside the task must not destroy the running function.
        const Task run = task;
        if (singleShot)
            cancel(handle);
        run();
    });
    m_timers.emplace(handle, timer);
    timer->start();
    return handle;
}
