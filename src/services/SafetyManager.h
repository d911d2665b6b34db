#pragma once

#include <QSet>
#include <QString>

// Keeps the user able to recover: the applications that can never be protected.
class SafetyManager {
public:
    // Exact, case-sensitive identifiers; no prefix or pattern matching.
    static const QSet<QString>& systemBlacklist();
};
