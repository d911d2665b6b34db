#include "process/ExecWatcher.h"

#include <QFile>
#include <QSocketNotifier>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// A replaced or removed file shows as a changed link count, a move or a deletion of the inode.
constexpr std::uint32_t replacedMask = IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;
constexpr int retryMs = 1000;

} // namespace

ExecWatcher::ExecWatcher(std::function<void()> onExecuted, QObject* parent)
    : QObject(parent)
    , m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    , m_onExecuted(std::move(onExecuted)) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(retryMs);
    connect(&m_retry, &QTimer::timeout, this, &ExecWatcher::watchAll);
    if (m_fd < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ExecWatcher::readEvents);
}

ExecWatcher::~ExecWatcher() {
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void ExecWatcher::setFiles(const QStringList& files) {
    for (auto it = m_watches.begin(); it != m_watches.end();) {
        if (files.contains(it->second)) {
            ++it;
            continue;
        }
        ::inotify_rm_watch(m_fd, it->first);
        it = m_watches.erase(it);
    }
    m_files = files;
    watchAll();
}

QStringList ExecWatcher::watchedFiles() const {
    QStringList files;
    for (const auto& [descriptor, file] : m_watches) {
        if (!files.contains(file))
            files.append(file);
    }
    return files;
}

// Adding a watch again on the same file is harmless; on a replaced file it follows the new one.
void ExecWatcher::watchAll() {
    if (m_fd < 0)
        return;
    bool missing = false;
    for (const QString& file : std::as_const(m_files)) {
        const int descriptor =
            ::inotify_add_watch(m_fd, QFile::encodeName(file).constData(),
                                IN_OPEN | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF);
        if (descriptor < 0) {
            missing = true;
            continue;
        }
        m_watches[descriptor] = file;
    }
    if (missing)
        m_retry.start();
}

void ExecWatcher::readEvents() {
    alignas(inotify_event) char buffer[4096];
    bool executed = false;
    bool replaced = false;
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            executed = executed || (event->mask & IN_OPEN);
            if (!(event->mask & replacedMask))
                continue;
            replaced = true;
            if (event->mask & IN_IGNORED)
                m_watches.erase(event->wd);
        }
    }
    if (replaced)
        watchAll();
    if (executed && m_onExecuted)
        m_onExecuted();
}
