#pragma once

#include <QByteArray>
#include <chrono>

// Tells systemd (through $NOTIFY_SOCKET) that the service is ready and still alive. Does
// nothing when not started by systemd.
class SystemdNotifier {
public:
    static bool notify(const QByteArray& state);
    // Half of $WATCHDOG_USEC when systemd watches the service; zero otherwise.
    static std::chrono::milliseconds watchdogInterval();
};
