#include "storage/RunRecordFile.h"

#include "ports/Logger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A real record is one short line; anything longer is not ours.
constexpr qint64 maximumSize = 64;

} // namespace

RunRecordFile::RunRecordFile(QString filePath, Logger& logger)
    : m_filePath(std::move(filePath))
    , m_logger(logger) {}

QString RunRecordFile::defaultFilePath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime).isDir())
        return {};
    return runtime + QStringLiteral("/velmora/last-running");
}

std::optional<QDateTime> RunRecordFile::lastRunning() {
    if (m_filePath.isEmpty())
        return std::nullopt;
    QFile file(m_filePath);
    if (!file.exists())
        return QDateTime();
    const QDateTime recorded =
        file.open(QIODevice::ReadOnly)
            ? QDateTime::fromString(QString::fromLatin1(file.read(maximumSize).trimmed()),
                                    Qt::ISODateWithMs)
            : QDateTime();
    if (recorded.isValid())
        return recorded;
    m_logger.log(QStringLiteral("[Velmora] Cannot read when Velmora last ran (%1); apps found "
                                "running are not told apart by when they started")
                     .arg(m_filePath));
    return std::nullopt;
}

// Written whole, then put in place, so a kill mid-write leaves the time before.
void RunRecordFile::recordRunning() {
    if (m_filePath.isEmpty())
        return;
    QDir().mkpath(QFileInfo(m_filePath).path());
    QSaveFile file(m_filePath);
    const QByteArray now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1();
    if (file.open(QIODevice::WriteOnly) && file.write(now + '\n') == now.size() + 1 &&
        file.commit())
        return;
    if (std::exchange(m_writeFailureLogged, true))
        return;
    m_logger.log(QStringLiteral("[Velmora] Cannot record that Velmora is running (%1): %2")
                     .arg(m_filePath, file.errorString()));
}
