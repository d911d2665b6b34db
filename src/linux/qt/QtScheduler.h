#pragma once

#include "ports/Scheduler.h"

#include <QObject>
#include <map>

class QTimer;

// Timers of the Qt main event loop.
class QtScheduler : public QObject, public Scheduler {
    Q_OBJECT

public:
    explicit QtScheduler(QObject* parent = nullptr);
    ~QtScheduler() override;

    Handle repeating(double intervalSeconds, Task task) override;
    Handle once(double delaySeconds, Task task) override;
    void cancel(Handle handle) override;

private:
    Handle start(double seconds, bool singleShot, Task task);

    Handle m_nextHandle = 1;
    std::map<Handle, QTimer*> m_timers;
};
