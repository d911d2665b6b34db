#include "SystemdNotifier.h"

#include <QString>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

bool SystemdNotifier::notify(const QByteArray& state) {
    const QByteArray path = qgetenv("NOTIFY_SOCKET");
    sockaddr_un address{};
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), path.size());
    // "@name" is an abstract socket.
    if (address.sun_path[0] == '@')
        address.sun_path[0] = '\0';
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    const bool sent = ::sendto(fd, state.constData(), state.size(), MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&address), length) >= 0;
    ::close(fd);
    return sent;
}

std::chrono::milliseconds SystemdNotifier::watchdogInterval() {
    bool ok = false;
    const qulonglong usec = qEnvironmentVariable("WATCHDOG_USEC").toULongLong(&ok);
    const qlonglong pid = qEnvironmentVariable("WATCHDOG_PID").toLongLong();
    if (!ok || usec == 0 || (pid != 0 && pid != ::getpid()))
        return std::chrono::milliseconds(0);
    return std::chrono::milliseconds(usec / 2000);
}
