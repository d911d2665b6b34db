#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// One running application process as the workspace reports it.
struct RunningApplication {
    std::int32_t processIdentifier = 0;
    // The desktop-file ID; absent when the process belongs to no known application.
    std::optional<QString> bundleIdentifier;

    bool operator==(const RunningApplication&) const = default;
};
