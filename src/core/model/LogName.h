#pragma once

#include <QString>

// A name as it goes into a log line (app, drive, identifier, path): cut with "…" past
// maxLogNameLength characters, never inside a surrogate pair, so no name can flood the log.
inline constexpr qsizetype maxLogNameLength = 256;

inline QString logName(const QString& name) {
    if (name.size() <= maxLogNameLength)
        return name;
    qsizetype keep = maxLogNameLength - 1;
    if (name.at(keep - 1).isHighSurrogate())
        --keep;
    return name.left(keep) + QChar(0x2026);
}
