#pragma once

#include <QStringList>

// The program's options: --help, --version, and --panic, which asks the running copy to dismiss
// its lock cards.
class CommandLine {
public:
    enum class Action { run, exitSuccess, exitFailure, panic };

    // Prints help, version or an error as Linux users expect and says what to do next.
    static Action handle(const QStringList& arguments);
};
