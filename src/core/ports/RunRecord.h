#pragma once

#include <QDateTime>
#include <optional>

// When the program was last known to be running, kept where it outlives the program (even a
// kill that leaves it no last word) but not the login session.
class RunRecord {
public:
    virtual ~RunRecord() = default;
    // The time last recorded; an invalid time when the program has not run in this session;
    // nothing when nobody can tell (no place to keep it, or what is kept cannot be read).
    virtual std::optional<QDateTime> lastRunning() = 0;
    // Records that the program is running now.
    virtual void recordRunning() = 0;
};
