#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <sys/types.h>

// A private X server with two screens side by side and a real window manager (openbox), for tests
// of windows; started before Qt connects to it. Xvfb offers only one RandR output, so this is Xorg
// with its dummy video driver, which has several; it needs root.
class X11Desktop {
public:
    X11Desktop();
    ~X11Desktop();

    // ":N", or empty when the server did not start.
    const QByteArray& display() const { return m_display; }
    // Why the desktop is not there; empty when it is.
    const QString& problem() const { return m_problem; }

    static constexpr int firstWidth = 1280;
    static constexpr int firstHeight = 960;
    // The second screen, right of the first; false turns it off as unplugging would.
    bool setSecondScreen(bool connected) const;

private:
    bool startServer();
    bool waitForWindowManager() const;
    bool run(const QStringList& arguments) const;

    QTemporaryDir m_folder;
    pid_t m_server = -1;
    pid_t m_manager = -1;
    QByteArray m_display;
    QString m_problem;
};
