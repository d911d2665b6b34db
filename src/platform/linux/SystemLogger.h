#pragma once

#include "platform/Logger.h"

// Writes each line to standard error and to the system log (the journal).
class SystemLogger : public Logger {
public:
    SystemLogger();
    ~SystemLogger() override;
    void log(const QString& line) override;
};
