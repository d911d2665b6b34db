#pragma once

#include "ports/RunRecord.h"

// A record the test sets; each recording is counted.
class FakeRunRecord : public RunRecord {
public:
    std::optional<QDateTime> lastRunning() override { return recorded; }
    void recordRunning() override { ++recordings; }

    std::optional<QDateTime> recorded = QDateTime();
    int recordings = 0;
};
