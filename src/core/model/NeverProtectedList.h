#pragma once

#include <QSet>
#include <QString>

// The applications that can never be protected: the user's way back (a terminal, the file
// manager, the settings, a task manager, an editor) must always start.
class NeverProtectedList {
public:
    // Exact, case-sensitive identifiers; no prefix or pattern matching.
    static const QSet<QString>& identifiers();
    static bool contains(const QString& bundleIdentifier);
};
