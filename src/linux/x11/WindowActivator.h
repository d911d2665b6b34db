#pragma once

#include <sys/types.h>

class XcbSession;

// Asks the window manager to bring a process's window to the front.
class WindowActivator {
public:
    explicit WindowActivator(XcbSession& session);

    // False when the process has no managed window.
    bool activate(pid_t pid);

private:
    XcbSession& m_session;
};
