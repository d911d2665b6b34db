#pragma once

#include <QObject>
#include <functional>
#include <sys/types.h>

class QSocketNotifier;
class XcbSession;

// Reports the process whose window became the active one, as the window manager announces it on
// the root window. Switching between windows of one process is not a new activation.
class ActiveWindowWatcher : public QObject {
    Q_OBJECT

public:
    using ActivationHandler = std::function<void(pid_t)>;

    ActiveWindowWatcher(XcbSession& session, ActivationHandler onActivated,
                        QObject* parent = nullptr);

private:
    // From the socket, or only what xcb already queued while waiting for a reply.
    void readEvents(bool fromSocket);
    void activeWindowChanged();

    XcbSession& m_session;
    ActivationHandler m_onActivated;
    QSocketNotifier* m_notifier = nullptr;
    pid_t m_activePid = 0;
};
