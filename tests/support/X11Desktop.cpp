#include "support/X11Desktop.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

const char* const config = R"(Section "ServerFlags"
  Option "DontVTSwitch" "true"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "card"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 1.0 - 2000.0
  VertRefresh 1.0 - 200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "card"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2560 1024
    Modes "1280x960"
  EndSubSection
EndSection
)";

QByteArray readDisplay(int fd) {
    QByteArray number;
    pollfd waiting{fd, POLLIN, 0};
    char character = 0;
    while (poll(&waiting, 1, 20000) > 0 && read(fd, &character, 1) == 1 && character != '\n')
        number += character;
    return number.isEmpty() ? QByteArray() : ':' + number;
}

void stop(pid_t pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// The servers' chatter would bury the test's own output.
void quiet() {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
}

// The window manager is ready once the root names its check window.
bool announced(xcb_connection_t* connection) {
    static const char name[] = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, sizeof(name) - 1, name), nullptr);
    if (!atom)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, false, root, atom->atom, XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    const bool present = reply && xcb_get_property_value_length(reply) == 4;
    std::free(reply);
    std::free(atom);
    return present;
}

} // namespace

X11Desktop::X11Desktop() {
    if (geteuid() != 0) {
        m_problem = QStringLiteral("Xorg with the dummy driver needs root");
        return;
    }
    if (!startServer())
        return;
    if (!setSecondScreen(true)) {
        m_problem = QStringLiteral("xrandr could not turn on the second screen");
        return;
    }
    m_manager = fork();
    if (m_manager == 0) {
        setenv("DISPLAY", m_display.constData(), 1);
        quiet();
        execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (!waitForWindowManager())
        m_problem = QStringLiteral("openbox did not start");
}

X11Desktop::~X11Desktop() {
    stop(m_manager);
    stop(m_server);
}

bool X11Desktop::startServer() {
    const QString configPath = m_folder.filePath(QStringLiteral("xorg.conf"));
    QFile file(configPath);
    if (!m_folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(config) < 0) {
        m_problem = QStringLiteral("no room for the X server's configuration");
        return false;
    }
    file.close();
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const std::string fd = std::to_string(fds[1]);
    const std::string configFile = configPath.toStdString();
    const std::string logFile = m_folder.filePath(QStringLiteral("xorg.log")).toStdString();
    m_server = fork();
    if (m_server == 0) {
        close(fds[0]);
        quiet();
        execlp("Xorg", "Xorg", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-config",
               configFile.c_str(), "-logfile", logFile.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    m_display = readDisplay(fds[0]);
    close(fds[0]);
    if (m_display.isEmpty())
        m_problem = QStringLiteral("Xorg with the dummy video driver did not start");
    return !m_display.isEmpty();
}

bool X11Desktop::setSecondScreen(bool connected) const {
    if (!connected)
        return run({QStringLiteral("--output"), QStringLiteral("DUMMY1"), QStringLiteral("--off")});
    run({QStringLiteral("--addmode"), QStringLiteral("DUMMY1"), QStringLiteral("1280x800")});
    return run({QStringLiteral("--output"), QStringLiteral("DUMMY1"), QStringLiteral("--mode"),
                QStringLiteral("1280x800"), QStringLiteral("--right-of"),
                QStringLiteral("DUMMY0")});
}

bool X11Desktop::run(const QStringList& arguments) const {
    std::vector<std::string> words{"xrandr"};
    for (const QString& argument : arguments)
        words.push_back(argument.toStdString());
    const pid_t child = fork();
    if (child == 0) {
        setenv("DISPLAY", m_display.constData(), 1);
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        execvp("xrandr", argv.data());
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

bool X11Desktop::waitForWindowManager() const {
    xcb_connection_t* connection = xcb_connect(m_display.constData(), nullptr);
    bool ready = false;
    const QDeadlineTimer deadline(20000);
    // Starting the window manager is outside Qt's event loop; poll until it is up.
    while (!xcb_connection_has_error(connection) && !(ready = announced(connection)) &&
           !deadline.hasExpired())
        QThread::msleep(20);
    xcb_disconnect(connection);
    return ready;
}
