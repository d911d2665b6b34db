#include "xdg/FolderChangeWatcher.h"

#include <QFile>
#include <QSocketNotifier>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t changeMask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE |
                                     IN_DELETE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

} // namespace

FolderChangeWatcher::FolderChangeWatcher(QObject* parent)
    : QObject(parent)
    , m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (m_fd < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &FolderChangeWatcher::readEvents);
}

FolderChangeWatcher::~FolderChangeWatcher() {
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderChangeWatcher::setFolders(const QStringList& folders,
                                     const QHash<QString, QString>& awaiting) {
    for (auto it = m_watches.cbegin(); it != m_watches.cend(); ++it)
        ::inotify_rm_watch(m_fd, it.key());
    m_watches.clear();
    m_folders.clear();
    if (m_fd < 0)
        return;
    for (const QString& folder : folders) {
        const int watch = ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                                              changeMask | IN_ONLYDIR);
        if (watch < 0)
            continue;
        m_watches.insert(watch, QFile::encodeName(awaiting.value(folder)));
        m_folders.append(folder);
    }
}

void FolderChangeWatcher::readEvents() {
    alignas(inotify_event) char buffer[4096];
    bool counts = false;
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const QByteArray awaited = m_watches.value(event->wd);
            counts = counts || awaited.isEmpty() ||
                     (event->len > 0 && QByteArray(event->name) == awaited);
        }
    }
    if (counts)
        emit changed();
}
