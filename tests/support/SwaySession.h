#pragma once

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A headless sway of its own (pixman rendering, no input devices), for tests of the Wayland
// adapters. sway refuses to run as root: under root it runs as the unprivileged user
// "velmora-sway", made on first use. Clients of the test reach it through environment().
class SwaySession {
public:
    SwaySession() = default;
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // False, with the reason in error(), when no compositor could be started. `extraConfig` is
    // appended to the configuration (e.g. "xwayland enable").
    bool start(const QString& extraConfig = {});
    QString error() const { return m_error; }

    // The compositor's socket (a full path, as WAYLAND_DISPLAY accepts it) and its IPC socket.
    QByteArray waylandDisplay() const { return m_waylandDisplay; }
    QString ipcSocket() const { return m_ipcSocket; }
    // This process's environment with the compositor's WAYLAND_DISPLAY, SWAYSOCK and
    // XDG_RUNTIME_DIR, and without DISPLAY.
    QProcessEnvironment environment() const;

    // Runs swaymsg with these arguments; its standard output, empty on failure.
    QByteArray swaymsg(const QStringList& arguments) const;
    // Adds a headless output; its name (e.g. "HEADLESS-2"), empty on failure.
    QString createOutput() const;
    QStringList outputNames() const;
    // A screenshot of one output (grim); null on failure.
    QImage screenshot(const QString& output) const;
    // Runs wtype with these arguments (keys reach the focused window).
    bool type(const QStringList& arguments) const;
    // Runs a tool of the compositor's tool set to its end; false on failure or after 10 s.
    bool run(const QString& program, const QStringList& arguments,
             QByteArray* output = nullptr) const;

private:
    bool prepareUser();

    QTemporaryDir m_runtimeDir{QStringLiteral("/tmp/velmora-sway-XXXXXX")};
    QProcess m_process;
    QByteArray m_waylandDisplay;
    QString m_ipcSocket;
    QString m_error;
    uint m_uid = 0;
    uint m_gid = 0;
};
