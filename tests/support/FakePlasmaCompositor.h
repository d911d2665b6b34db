#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <sys/types.h>
#include <thread>

// A Wayland compositor that offers only KWin's window list (org_kde_plasma_window_management),
// on a socket of its own, served from its own thread so that a client on the test's thread may
// wait for it. Windows are made and focused by the test; a client's request to activate one
// focuses it as KWin does.
class FakePlasmaCompositor {
public:
    FakePlasmaCompositor();
    // Closes every client's connection.
    ~FakePlasmaCompositor();

    bool isRunning() const { return m_server != nullptr; }
    // As WAYLAND_DISPLAY names it.
    QByteArray socket() const;

    // A new window, focused as a new window is; returns its number.
    int open(const QString& appId, pid_t pid);
    void focus(int window);
    void close(int window);

private:
    struct Server;

    QTemporaryDir m_dir;
    std::unique_ptr<Server> m_server;
    std::thread m_thread;
};
