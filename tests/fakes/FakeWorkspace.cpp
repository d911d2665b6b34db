#include "FakeWorkspace.h"

#include <utility>

void FakeWorkspace::forceTerminate(const RunningApplication& app) {
    forceTerminated.append(app);
    if (onForceTerminate)
        onForceTerminate();
    if (killsSucceed && applications.removeAll(app) > 0)
        m_dying.append(app);
}

void FakeWorkspace::deliverTerminations() {
    const QList<RunningApplication> dying = std::exchange(m_dying, {});
    for (const RunningApplication& app : dying)
        notifyTerminated(app);
}

bool FakeWorkspace::activate(const RunningApplication& app) {
    activated.append(app);
    return applications.contains(app);
}

RunningApplication FakeWorkspace::launch(const std::optional<QString>& bundleIdentifier) {
    const RunningApplication app{m_nextPid++, bundleIdentifier};
    applications.append(app);
    return app;
}

void FakeWorkspace::quit(const RunningApplication& app) {
    if (applications.removeAll(app) > 0)
        notifyTerminated(app);
}
