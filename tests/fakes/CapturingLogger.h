#pragma once

#include "ports/Logger.h"

#include <QStringList>

class CapturingLogger : public Logger {
public:
    void log(const QString& line) override { lines.append(line); }
    int count(const QString& line) const { return static_cast<int>(lines.count(line)); }

    QStringList lines;
};
