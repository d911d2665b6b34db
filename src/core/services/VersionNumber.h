#pragma once

#include <QString>

// Release versions such as "1.2.10" or "2.0-beta2": the dotted numbers compare one by one as
// numbers (a missing one counts as 0); with equal numbers a pre-release suffix ranks below the
// release itself, and two suffixes compare piece by piece, digits as numbers. A leading "v" and
// build metadata after "+" are ignored.
class VersionNumber {
public:
    // Negative when a is older than b, 0 when they are the same release, positive when newer.
    static int compare(const QString& a, const QString& b);
};
