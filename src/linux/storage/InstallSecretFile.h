#pragma once

#include "ports/InstallSecret.h"

#include <QString>
#include <optional>

class Logger;

// The installation's secret in a file of its own beside the settings, readable by the user only;
// made on first use.
class InstallSecretFile : public InstallSecret {
public:
    InstallSecretFile(QString filePath, Logger& logger);

    static QString defaultFilePath();
    static constexpr int size = 32;

    QByteArray value() override;

private:
    std::optional<QByteArray> readExisting();
    std::optional<QByteArray> create();

    QString m_filePath;
    Logger& m_logger;
    std::optional<QByteArray> m_value;
};
