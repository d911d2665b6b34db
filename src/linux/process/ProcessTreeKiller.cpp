#include "process/ProcessTreeKiller.h"

#include "process/ProcessFiles.h"
#include "process/ProcessScanner.h"

#include <csignal>
#include <unordered_map>

void ProcessTreeKiller::killTree(pid_t root, const SignalRoot& signalRoot,
                                 const Candidate& candidate) {
    // Stopped processes cannot start new children while the family is collected. A root that
    // cannot be signalled has ended, and its number may already name someone else's family.
    if (!signalRoot(SIGSTOP))
        return;
    const std::vector<pid_t> family = descendants(root, candidate);
    for (const pid_t pid : family)
        ::kill(pid, SIGSTOP);
    signalRoot(SIGKILL);
    for (const pid_t pid : family)
        ::kill(pid, SIGKILL);
}

std::vector<pid_t> ProcessTreeKiller::descendants(pid_t root, const Candidate& candidate) {
    std::unordered_multimap<pid_t, pid_t> children;
    ProcessScanner scanner;
    for (const ProcessScanner::Entry& entry : scanner.scan()) {
        if (entry.pid == root || (candidate && !candidate(entry.pid)))
            continue;
        const auto stat = ProcessFiles::stat(entry.pid);
        if (stat && !stat->isKernelThread())
            children.emplace(stat->parent, entry.pid);
    }
    std::vector<pid_t> found;
    std::vector<pid_t> parents{root};
    while (!parents.empty()) {
        const pid_t parent = parents.back();
        parents.pop_back();
        const auto [first, last] = children.equal_range(parent);
        for (auto it = first; it != last; ++it) {
            found.push_back(it->second);
            parents.push_back(it->second);
        }
    }
    return found;
}
