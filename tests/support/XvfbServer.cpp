#include "support/XvfbServer.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

XvfbServer::~XvfbServer() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

bool XvfbServer::start() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        m_error = QStringLiteral("Xvfb is not installed (scripts/install-deps.sh installs it)");
        return false;
    }
    // The server writes the display number it picked to standard output once it is ready.
    m_process.start(program,
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("640x480x24"), QStringLiteral("-nolisten"),
                     QStringLiteral("tcp")});
    const QDeadlineTimer deadline(10000);
    while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QByteArray number = m_process.readLine().trimmed();
    if (number.isEmpty()) {
        m_error = QStringLiteral("Xvfb did not start: ") +
                  QString::fromLocal8Bit(m_process.readAllStandardError());
        return false;
    }
    m_display = ':' + number;
    return true;
}
