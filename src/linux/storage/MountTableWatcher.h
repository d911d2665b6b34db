#pragma once

#include "ports/MountChanges.h"

#include <QObject>
#include <memory>

class QSocketNotifier;

// The kernel's mount table reports each change to poll() as an exceptional condition on
// /proc/self/mountinfo; the event loop watches for it.
class MountTableWatcher : public QObject, public MountChanges {
    Q_OBJECT

public:
    explicit MountTableWatcher(const char* mountInfoPath = "/proc/self/mountinfo",
                               QObject* parent = nullptr);
    ~MountTableWatcher() override;

    bool isWatching() const { return m_fd >= 0; }

private:
    void changed();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
