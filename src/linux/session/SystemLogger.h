#pragma once

#include "ports/Logger.h"

// Writes each line to standard error and to the system log (the journal).
class SystemLogger : public Logger {
public:
    SystemLogger();
    ~SystemLogger() override;
    void log(const QString& line) override;

    // Names come from outside (process names, volume labels, file names): a control character in
    // one must neither end the line (NUL) nor start another (newline). Written as \n, \t, \r or
    // \xNN.
    static QString escapeControlCharacters(const QString& line);
};
