#pragma once

#include <QString>

// One line per event, exactly as given.
class Logger {
public:
    virtual ~Logger() = default;
    virtual void log(const QString& line) = 0;
};
