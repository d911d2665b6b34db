#pragma once

#include "ExecDecider.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The kernel side: exec-permission events on every filesystem a program can be run from, each
// answered within a deadline. A reader thread takes events and answers "allow" for any the
// worker has not decided in time; the worker decides. The answer is always written before
// anything else happens for the event. Closing the descriptor (exit, crash, kill) lets every
// pending exec go on.
class FanotifyGate {
public:
    using Clock = std::chrono::steady_clock;
    // Called on the gate's threads after the kernel has the answer; must only queue work.
    using RefusalHandler = std::function<void(const ExecVerdict&, pid_t)>;
    using LateHandler = std::function<void(pid_t)>;

    FanotifyGate(ExecDecider& decider, RefusalHandler onRefusal, LateHandler onLate);
    ~FanotifyGate();

    bool start(QString& error);
    // Marks (or unmarks) the filesystems; `gating` false when no user has a gated app.
    void setGating(bool gating);
    bool isRunning() const { return m_fd >= 0; }
    // When the reader thread last went round its loop.
    Clock::time_point lastBeat() const { return Clock::time_point(Clock::duration(m_beat.load())); }

    static constexpr std::chrono::milliseconds deadline{50};

private:
    struct Pending {
        int fd;
        pid_t pid;
        Clock::time_point received;
        bool answered = false;
        // The worker has it; otherwise it still waits in the queue.
        bool taken = false;
    };

    void readLoop();
    void workLoop();
    bool hasInFlight();
    void readEvents();
    void answerLate();
    void answer(Pending& pending, bool allow);
    void applyMarks();

    ExecDecider& m_decider;
    RefusalHandler m_onRefusal;
    LateHandler m_onLate;
    int m_fd = -1;
    int m_wake = -1;
    int m_mountinfo = -1;
    std::atomic<bool> m_gating{false};
    std::atomic<bool> m_stopping{false};
    std::atomic<Clock::rep> m_beat{0};
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::shared_ptr<Pending>> m_queue;
    std::deque<std::shared_ptr<Pending>> m_inFlight;
    std::thread m_reader;
    std::thread m_worker;
};
