#pragma once

#include <cstdint>
#include <functional>

// Timers of the main event loop. Handles are never reused, so cancelling a timer that already
// fired (or was cancelled) is harmless.
class Scheduler {
public:
    using Handle = std::uint64_t;
    using Task = std::function<void()>;

    virtual ~Scheduler() = default;

    virtual Handle repeating(double intervalSeconds, Task task) = 0;
    virtual Handle once(double delaySeconds, Task task) = 0;
    virtual void cancel(Handle handle) = 0;

    // Runs the task on the main loop after the current event has been handled.
    void runLater(Task task) { once(0.0, std::move(task)); }
};
