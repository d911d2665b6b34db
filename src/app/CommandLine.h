#pragma once

#include <QStringList>

// The program's only options are --help and --version.
class CommandLine {
public:
    enum class Action { run, exitSuccess, exitFailure };

    // Prints help, version or an error as Linux users expect and says what to do next.
    static Action handle(const QStringList& arguments);
};
