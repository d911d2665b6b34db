#pragma once

#include "ports/RunRecord.h"

#include <QString>

class Logger;

// The time Velmora last ran, as one line of text in the user's runtime folder, which the login
// session makes empty and removes at its end.
class RunRecordFile : public RunRecord {
public:
    // An empty path: there is no runtime folder, so nothing is kept.
    RunRecordFile(QString filePath, Logger& logger);

    // $XDG_RUNTIME_DIR/velmora/last-running; empty without a runtime folder.
    static QString defaultFilePath();

    std::optional<QDateTime> lastRunning() override;
    void recordRunning() override;

private:
    QString m_filePath;
    Logger& m_logger;
    bool m_writeFailureLogged = false;
};
