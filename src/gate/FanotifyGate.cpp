#include "FanotifyGate.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/fanotify.h>
#include <unistd.h>

namespace {

// Filesystems nothing is executed from, and FUSE, whose mount point a lookup could hang on.
bool isMarkable(const QByteArray& type, const QByteArray& options) {
    static const QSet<QByteArray> skipped{
        "proc",        "sysfs",      "cgroup",   "cgroup2", "devpts",     "mqueue",  "debugfs",
        "tracefs",     "securityfs", "pstore",   "bpf",     "configfs",   "fusectl", "autofs",
        "binfmt_misc", "hugetlbfs",  "efivarfs", "nsfs",    "rpc_pipefs", "devtmpfs"};
    if (skipped.contains(type) || type == "fuse" || type.startsWith("fuse."))
        return false;
    return !options.split(',').contains("noexec");
}

// Mount points are written with octal escapes for space, tab, newline and backslash.
QByteArray unescaped(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        bool ok = false;
        const int code = field.mid(i + 1, 3).toInt(&ok, 8);
        if (field.at(i) == '\\' && i + 3 < field.size() && ok) {
            out.append(static_cast<char>(code));
            i += 3;
        } else {
            out.append(field.at(i));
        }
    }
    return out;
}

QList<QByteArray> markableMountPoints(const QByteArray& mountinfo) {
    QList<QByteArray> points;
    for (const QByteArray& line : mountinfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (separator < 6 || separator + 1 >= fields.size())
            continue;
        if (isMarkable(fields.at(separator + 1), fields.at(5)))
            points.append(unescaped(fields.at(4)));
    }
    return points;
}

} // namespace

FanotifyGate::FanotifyGate(ExecDecider& decider, RefusalHandler onRefusal, LateHandler onLate)
    : m_decider(decider)
    , m_onRefusal(std::move(onRefusal))
    , m_onLate(std::move(onLate)) {}

FanotifyGate::~FanotifyGate() {
    m_stopping = true;
    if (m_wake >= 0)
        (void)::eventfd_write(m_wake, 1);
    m_ready.notify_all();
    if (m_reader.joinable())
        m_reader.join();
    // A worker stuck on a hung file is left to the process exit; its events were answered.
    if (m_worker.joinable())
        m_worker.detach();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FanotifyGate::start(QString& error) {
    m_fd = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC | FAN_NONBLOCK,
                           O_RDONLY | O_LARGEFILE | O_CLOEXEC);
    if (m_fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_mountinfo = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    m_beat = Clock::now().time_since_epoch().count();
    m_reader = std::thread([this] { readLoop(); });
    m_worker = std::thread([this] { workLoop(); });
    return true;
}

// Marked before this returns, so a gate that says it is ready refuses from that moment.
void FanotifyGate::setGating(bool gating) {
    m_gating = gating;
    applyMarks();
}

void FanotifyGate::readLoop() {
    while (!m_stopping) {
        pollfd fds[] = {{m_fd, POLLIN, 0}, {m_wake, POLLIN, 0}, {m_mountinfo, POLLPRI, 0}};
        const int ready = ::poll(fds, 3, hasInFlight() ? 10 : 1000);
        m_beat = Clock::now().time_since_epoch().count();
        if (ready > 0 && (fds[1].revents & POLLIN)) {
            eventfd_t ignored = 0;
            (void)::eventfd_read(m_wake, &ignored);
            applyMarks();
        }
        // A new mount (a USB stick, a tmpfs) may hold a copy of a protected program.
        if (ready > 0 && (fds[2].revents & (POLLPRI | POLLERR)))
            applyMarks();
        if (ready > 0 && (fds[0].revents & POLLIN))
            readEvents();
        answerLate();
    }
}

bool FanotifyGate::hasInFlight() {
    const std::lock_guard lock(m_mutex);
    return !m_inFlight.empty();
}

void FanotifyGate::readEvents() {
    alignas(fanotify_event_metadata) char buffer[8192];
    const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
    if (length <= 0)
        return;
    const auto now = Clock::now();
    auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer);
    ssize_t left = length;
    for (; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
        if (event->vers != FANOTIFY_METADATA_VERSION || event->fd < 0)
            continue;
        auto pending = std::make_shared<Pending>(Pending{event->fd, event->pid, now});
        if (event->pid == ::getpid()) {
            answer(*pending, true);
            ::close(pending->fd);
            continue;
        }
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(pending);
        m_inFlight.push_back(pending);
    }
    m_ready.notify_one();
}

void FanotifyGate::answerLate() {
    const auto now = Clock::now();
    std::unique_lock lock(m_mutex);
    while (!m_inFlight.empty() &&
           (m_inFlight.front()->answered || now - m_inFlight.front()->received > deadline)) {
        const std::shared_ptr<Pending> oldest = m_inFlight.front();
        m_inFlight.pop_front();
        if (oldest->answered)
            continue;
        answer(*oldest, true);
        // Behind a worker stuck on a hung file, waiting events would each keep a descriptor
        // until the gate ran out of them; an answered one is dropped from the queue at once.
        const bool dropped = !oldest->taken;
        if (dropped)
            std::erase(m_queue, oldest);
        lock.unlock();
        if (dropped)
            ::close(oldest->fd);
        m_onLate(oldest->pid);
        lock.lock();
    }
}

void FanotifyGate::workLoop() {
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            return;
        const std::shared_ptr<Pending> next = m_queue.front();
        m_queue.pop_front();
        next->taken = true;
        const bool late = next->answered;
        lock.unlock();
        const ExecVerdict verdict = late ? ExecVerdict{} : m_decider.decide(next->pid, next->fd);
        lock.lock();
        const bool refused = verdict.deny && !next->answered;
        if (!next->answered)
            answer(*next, !verdict.deny);
        lock.unlock();
        ::close(next->fd);
        if (refused)
            m_onRefusal(verdict, next->pid);
    }
}

// Called with m_mutex held (or for an event no other thread knows of).
void FanotifyGate::answer(Pending& pending, bool allow) {
    const fanotify_response response{pending.fd, static_cast<__u32>(allow ? FAN_ALLOW : FAN_DENY)};
    (void)::write(m_fd, &response, sizeof response);
    pending.answered = true;
}

void FanotifyGate::applyMarks() {
    // Marks are only added while gating: removing and adding again would leave a gap.
    if (!m_gating) {
        (void)::fanotify_mark(m_fd, FAN_MARK_FLUSH | FAN_MARK_FILESYSTEM, 0, AT_FDCWD, nullptr);
        return;
    }
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    for (const QByteArray& point : markableMountPoints(file.readAll())) {
        (void)::fanotify_mark(m_fd, FAN_MARK_ADD | FAN_MARK_FILESYSTEM, FAN_OPEN_EXEC_PERM,
                              AT_FDCWD, point.constData());
    }
}
