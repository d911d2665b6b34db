#include "storage/MountTableWatcher.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

MountTableWatcher::MountTableWatcher(const char* mountInfoPath, QObject* parent)
    : QObject(parent)
    , m_fd(::open(mountInfoPath, O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    if (m_fd < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Exception);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &MountTableWatcher::changed);
}

MountTableWatcher::~MountTableWatcher() {
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

// Reading the table to its end acknowledges the change, so the next one is reported afresh.
void MountTableWatcher::changed() {
    char buffer[16384];
    ::lseek(m_fd, 0, SEEK_SET);
    while (::read(m_fd, buffer, sizeof buffer) > 0) {
    }
    notifyChanged();
}
