#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// A private X server on a display number of its own choosing.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False, with the reason in error(), when no server could be started.
    bool start();
    // ":N"
    QByteArray display() const { return m_display; }
    QString error() const { return m_error; }

private:
    QProcess m_process;
    QByteArray m_display;
    QString m_error;
};
