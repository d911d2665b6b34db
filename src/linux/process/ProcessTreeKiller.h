#pragma once

#include <functional>
#include <sys/types.h>
#include <vector>

// Ends a process together with the processes it has already started, so a launcher script
// cannot leave the real program running behind it.
class ProcessTreeKiller {
public:
    // Sends a signal to the process itself; given so the caller can use a pidfd it holds.
    using SignalRoot = std::function<bool(int signalNumber)>;
    // Whether a process may be below the root; only those are read. A caller that knows when
    // processes started can pass over the older ones, which makes a kill cost a listing of
    // /proc instead of a read of every process.
    using Candidate = std::function<bool(pid_t pid)>;

    // Freezes the process, then its descendants, then kills them all.
    static void killTree(pid_t root, const SignalRoot& signalRoot, const Candidate& candidate);
    // Every process below root, parents before children.
    static std::vector<pid_t> descendants(pid_t root, const Candidate& candidate = {});
};
