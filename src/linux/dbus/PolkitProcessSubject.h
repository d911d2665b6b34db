#pragma once

#include <QDBusArgument>
#include <optional>

// This process as polkit names it: ("unix-process", {pid, start-time}). The start time lets
// polkit tell us from a later process that reuses our id.
class PolkitProcessSubject {
public:
    // Nullopt when /proc/self/stat cannot be read.
    static std::optional<QDBusArgument> thisProcess();
};
