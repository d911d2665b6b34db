#include "process/LinuxWorkspace.h"

#include "ports/Logger.h"
#include "process/ProcessTreeKiller.h"
#include "sway/SwayIpc.h"
#include "sway/SwayTree.h"
#include "wayland/ForeignToplevelWatcher.h"
#include "wayland/PlasmaWindowWatcher.h"
#include "wayland/WaylandConnection.h"
#include "x11/ActiveWindowWatcher.h"
#include "x11/WindowActivator.h"
#include "x11/XcbSession.h"

#include <QTimer>
#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace {

// A launcher forks and then executes the program; a process caught in between is looked at
// again while it is this young (in seconds), until it runs what it will run.
constexpr double youthSeconds = 1.0;
// The longest a process that ended unwatched stays listed, and the longest a process whose
// number was missed goes unseen.
constexpr double listingSeconds = 1.0;

} // namespace

LinuxWorkspace::LinuxWorkspace(Logger& logger, QStringList dataDirs, QByteArray x11Display,
                               QByteArray waylandDisplay, QString swaySocket, QObject* parent)
    : QObject(parent)
    , m_logger(logger)
    , m_index(dataDirs)
    , m_resolver(m_index, ProcessFiles::executable(::getpid()))
    , m_programs(std::move(dataDirs))
    , m_exitWatcher([this](pid_t pid) { exited(pid); })
    , m_execWatcher([this] {
        notifyLaunching();
        // The new program is in place moments after its file was opened; a slow start later.
        for (const int delay : {20, 250})
            QTimer::singleShot(delay, this, &LinuxWorkspace::recheckAll);
    })
    , m_pidfdSupported(ProcessExitWatcher::isSupported()) {
    if (!m_pidfdSupported)
        m_logger.log(QStringLiteral("[Velmora] pidfd is not available; ended applications are "
                                    "noticed at the next look"));
    if (!m_execWatcher.isSupported())
        m_logger.log(QStringLiteral("[Velmora] inotify is not available; new applications are "
                                    "noticed at the next look"));
    // Installed or upgraded applications may run other files.
    connect(&m_index, &DesktopEntryIndex::changed, this, &LinuxWorkspace::updateLaunchWatches);
    connect(&m_index, &DesktopEntryIndex::changed, this, [this] { notifyProgramsChanged(); });
    connectWayland(waylandDisplay, swaySocket);
    connectX11(x11Display);
}

LinuxWorkspace::~LinuxWorkspace() = default;

// Without pidfds, endings are seen only in a listing. With them, new processes are found by
// their numbers, and a listing once a second drops the ones that ended unwatched.
QList<RunningApplication> LinuxWorkspace::runningApplications() {
    QList<RunningApplication> ended;
    const double now = ProcessFiles::secondsSinceBoot();
    std::optional<std::vector<ProcessScanner::Entry>> fresh;
    if (m_pidfdSupported && now < m_lastListing + listingSeconds)
        fresh = m_scanner.newSinceLastLook();
    else if (m_pidfdSupported && !m_scanner.mayHaveNewProcesses())
        fresh.emplace();
    if (fresh) {
        recheckYoung(ended);
        lookAtNew(*fresh, ended);
    } else if (!lookAtAll(ended)) {
        return {};
    }
    updateApplications();
    // Before the caller sees the list, so a reused number is judged as the new process it is.
    for (const RunningApplication& app : ended)
        notifyTerminated(app);
    return m_applications;
}

bool LinuxWorkspace::lookAtAll(QList<RunningApplication>& ended) {
    m_lastListing = ProcessFiles::secondsSinceBoot();
    const std::vector<ProcessScanner::Entry>& entries = m_scanner.scan();
    if (entries.empty())
        return false;
    const std::uint64_t scan = ++m_scanCount;
    m_young.clear();
    lookAtNew(entries, ended);
    std::vector<pid_t> vanished;
    for (const auto& [pid, process] : m_processes) {
        if (process.seenInScan != scan)
            vanished.push_back(pid);
    }
    for (const pid_t pid : vanished)
        forget(pid, ended);
    return true;
}

// Marked as seen in the current listing; the young are looked at again at the next looks.
void LinuxWorkspace::lookAtNew(const std::vector<ProcessScanner::Entry>& entries,
                               QList<RunningApplication>& ended) {
    const double now = ProcessFiles::secondsSinceBoot();
    for (const ProcessScanner::Entry& entry : entries) {
        Process& process = current(entry, ended);
        process.seenInScan = m_scanCount;
        if (now >= process.youngUntil)
            continue;
        recheckProgram(entry.pid, process, ended);
        if (std::find(m_young.begin(), m_young.end(), entry.pid) == m_young.end())
            m_young.push_back(entry.pid);
    }
}

void LinuxWorkspace::recheckYoung(QList<RunningApplication>& ended) {
    const double now = ProcessFiles::secondsSinceBoot();
    std::erase_if(m_young, [&](pid_t pid) {
        const auto found = m_processes.find(pid);
        if (found == m_processes.end() || now >= found->second.youngUntil)
            return true;
        recheckProgram(pid, found->second, ended);
        return false;
    });
}

void LinuxWorkspace::recheckAll() {
    QList<RunningApplication> ended;
    updateApplications();
    const QList<RunningApplication> before = m_applications;
    for (auto& [pid, process] : m_processes) {
        if (process.own)
            recheckProgram(pid, process, ended);
    }
    updateApplications();
    for (const RunningApplication& app : ended)
        notifyTerminated(app);
    if (m_applications != before)
        notifyLaunching();
}

// In the order of their numbers, as a listing of /proc gives them.
void LinuxWorkspace::updateApplications() {
    if (!m_applicationsChanged)
        return;
    m_applicationsChanged = false;
    m_applications.clear();
    for (const auto& [pid, process] : m_processes) {
        if (process.id)
            m_applications.append(RunningApplication{pid, process.id});
    }
    std::sort(m_applications.begin(), m_applications.end(),
              [](const RunningApplication& a, const RunningApplication& b) {
                  return a.processIdentifier < b.processIdentifier;
              });
}

void LinuxWorkspace::forceTerminate(const RunningApplication& app) {
    const pid_t pid = app.processIdentifier;
    if (!m_processes.count(pid) || pid == ::getpid())
        return;
    // Its descendants started after it: older processes, and other users', are not read.
    const std::uint64_t started = m_processes.at(pid).startTime;
    ProcessTreeKiller::killTree(
        pid, [this, pid](int signalNumber) { return signal(pid, signalNumber); },
        [this, started](pid_t candidate) {
            const auto found = m_processes.find(candidate);
            return found == m_processes.end() ||
                   (found->second.own && found->second.startTime >= started);
        });
}

void LinuxWorkspace::terminate(const RunningApplication& app) {
    signal(app.processIdentifier, SIGTERM);
}

bool LinuxWorkspace::activate(const RunningApplication& app) {
    if (m_activator && m_activator->activate(app.processIdentifier))
        return true;
    // A Wayland window is found by its process where the compositor names it, else by its
    // application.
    return m_toplevels &&
           m_toplevels->activate([this, &app](const ToplevelWatcher::Window& window) {
               if (window.pid > 0)
                   return window.pid == app.processIdentifier;
               return app.bundleIdentifier &&
                      m_index.idForWindowClass(window.appId) == app.bundleIdentifier;
           });
}

bool LinuxWorkspace::seesActivations() const {
    return m_activeWindows || (m_toplevels && m_toplevels->isWatching());
}

// The kernel counts a process's start in clock ticks since boot.
std::optional<QDateTime> LinuxWorkspace::launchDate(const RunningApplication& app) {
    const auto found = m_processes.find(app.processIdentifier);
    if (found == m_processes.end() || found->second.startTime == 0)
        return std::nullopt;
    ProcessFiles::Stat stat;
    stat.startTime = found->second.startTime;
    const double age = ProcessFiles::secondsSinceBoot() - stat.startSeconds();
    return QDateTime::currentDateTimeUtc().addMSecs(-static_cast<qint64>(age * 1000));
}

std::int32_t LinuxWorkspace::ownProcessIdentifier() const {
    return ::getpid();
}

void LinuxWorkspace::watchLaunches(const QSet<QString>& bundleIdentifiers) {
    m_launchIds = bundleIdentifiers;
    updateLaunchWatches();
}

QStringList LinuxWorkspace::programIdentities(const QString& bundleIdentifier,
                                              const QString& path) {
    return m_programs.identitiesOf(bundleIdentifier, path);
}

QStringList LinuxWorkspace::programFiles(const QString& bundleIdentifier, const QString& path) {
    return m_programs.filesOf(bundleIdentifier, path);
}

void LinuxWorkspace::recognisePrograms(const QHash<QString, QStringList>& identitiesById) {
    m_programs.setIdentities(identitiesById);
}

void LinuxWorkspace::updateLaunchWatches() {
    QStringList files;
    for (const QString& id : std::as_const(m_launchIds)) {
        for (const QString& file : m_index.launchFiles(id)) {
            if (!files.contains(file))
                files.append(file);
        }
    }
    m_execWatcher.setFiles(files);
}

LinuxWorkspace::Process& LinuxWorkspace::current(const ProcessScanner::Entry& entry,
                                                 QList<RunningApplication>& ended) {
    const auto found = m_processes.find(entry.pid);
    if (found != m_processes.end() && found->second.inode == entry.inode)
        return found->second;
    const auto stat = ProcessFiles::stat(entry.pid);
    if (found != m_processes.end()) {
        // The kernel may have made a new entry for the same process; the start time tells.
        if (stat && stat->startTime == found->second.startTime) {
            found->second.inode = entry.inode;
            return found->second;
        }
        forget(entry.pid, ended);
    }
    return m_processes.insert_or_assign(entry.pid, examine(entry.pid, entry.inode, stat))
        .first->second;
}

LinuxWorkspace::Process LinuxWorkspace::examine(pid_t pid, std::uint64_t inode,
                                                const std::optional<ProcessFiles::Stat>& stat) {
    Process process;
    process.inode = inode;
    process.startTime = stat ? stat->startTime : 0;
    if (!stat || stat->isKernelThread() || stat->hasEnded())
        return process;
    // Other users' programs are not the user's applications, and are not ours to stop.
    if (ProcessFiles::owner(pid) != ::getuid())
        return process;
    process.own = true;
    process.youngUntil = stat->startSeconds() + youthSeconds;
    readProgram(pid, process, ProcessFiles::programKey(pid));
    identify(pid, process);
    return process;
}

// Nothing is changed when the program cannot be read: the process ended or is not ours.
bool LinuxWorkspace::readProgram(pid_t pid, Process& process,
                                 const std::optional<FileKey>& program) {
    QString executable = ProcessFiles::executable(pid);
    if (executable.isEmpty())
        return false;
    process.executable = std::move(executable);
    process.commandLine = ProcessFiles::rawCommandLine(pid);
    process.runsOthers = ProtectedPrograms::runsOthers(process.executable);
    // Midway through an exec the new program is in place before its arguments and environment
    // are: such a process is read again at the next look.
    process.program = process.commandLine.isEmpty() ? std::nullopt : program;
    return true;
}

// A launcher that executes its real program keeps its application's ID; only a program that
// belongs to another application makes a new one, and the old one ends here. A program is
// executed anew when its file changed; an interpreter's also when its arguments did.
void LinuxWorkspace::recheckProgram(pid_t pid, Process& process, QList<RunningApplication>& ended) {
    const std::optional<FileKey> program = ProcessFiles::programKey(pid);
    if (!program)
        return;
    const bool sameFile = program == process.program;
    if (sameFile && !process.runsOthers && !process.awaitingProgram)
        return;
    if (sameFile && !process.awaitingProgram &&
        ProcessFiles::rawCommandLine(pid) == process.commandLine)
        return;
    if (!readProgram(pid, process, program))
        return;
    const std::optional<QString> previous = process.id;
    identify(pid, process);
    // A child of this program caught before its exec is not this program.
    if (!process.id && previous && *previous != AppIdResolver::ownId()) {
        keepIdentity(pid, process, *previous);
        learnProgram(pid, *previous);
    }
    if (process.id == previous || !previous)
        return;
    ended.append(RunningApplication{pid, previous});
}

void LinuxWorkspace::keepIdentity(pid_t pid, Process& process, const QString& id) {
    if (m_pidfdSupported && !m_exitWatcher.watch(pid, process.startTime))
        return;
    process.id = id;
    m_applicationsChanged = true;
}

// A launcher's program is its application's from now on, wherever it is found next; the
// record learns it outside the look that found it.
void LinuxWorkspace::learnProgram(pid_t pid, const QString& id) {
    if (!m_launchIds.contains(id))
        return;
    // A child the launcher forked runs its helpers (sleep, sed, ...): they are nobody's app.
    const auto stat = ProcessFiles::stat(pid);
    const auto parent = stat ? m_processes.find(stat->parent) : m_processes.end();
    if (!stat || (parent != m_processes.end() && parent->second.id == id))
        return;
    if (!m_programs.learn(id, pid))
        return;
    QMetaObject::invokeMethod(
        this, [this] { notifyProgramsChanged(); }, Qt::QueuedConnection);
}

void LinuxWorkspace::identify(pid_t pid, Process& process) {
    m_exitWatcher.unwatch(pid);
    const std::optional<QString> before = process.id;
    process.id =
        byContents(pid, process, m_resolver.resolve(pid, process.executable, process.commandLine));
    process.awaitingProgram = !process.id && ProtectedPrograms::isLoader(process.executable);
    // A process that cannot be watched any more has ended while it was being read.
    if (process.id && m_pidfdSupported && !m_exitWatcher.watch(pid, process.startTime))
        process.id.reset();
    m_applicationsChanged = m_applicationsChanged || process.id != before;
}

std::optional<QString> LinuxWorkspace::byContents(pid_t pid, const Process& process,
                                                  const std::optional<QString>& resolved) {
    // A protected program is its protected application's, whatever entry or launch environment
    // names it otherwise.
    if (resolved && m_launchIds.contains(*resolved))
        return resolved;
    QByteArrayList arguments = process.commandLine.split('\0');
    if (!arguments.isEmpty() && arguments.last().isEmpty())
        arguments.removeLast();
    const auto owner = m_programs.match(pid, process.executable, arguments);
    return owner ? owner : resolved;
}

void LinuxWorkspace::forget(pid_t pid, QList<RunningApplication>& ended) {
    const auto found = m_processes.find(pid);
    if (found == m_processes.end())
        return;
    if (found->second.id) {
        ended.append(RunningApplication{pid, found->second.id});
        m_applicationsChanged = true;
    }
    m_exitWatcher.unwatch(pid);
    m_processes.erase(found);
}

void LinuxWorkspace::exited(pid_t pid) {
    QList<RunningApplication> ended;
    forget(pid, ended);
    for (const RunningApplication& app : ended)
        notifyTerminated(app);
}

// A process that was known may have executed another program since.
void LinuxWorkspace::activated(pid_t pid, const std::optional<QString>& windowId) {
    const auto stat = ProcessFiles::stat(pid);
    if (!stat)
        return;
    QList<RunningApplication> ended;
    auto found = m_processes.find(pid);
    if (found != m_processes.end() && found->second.startTime == stat->startTime) {
        recheckProgram(pid, found->second, ended);
    } else {
        forget(pid, ended);
        // Its directory entry is not known yet; the next look checks the start time.
        found = m_processes.insert_or_assign(pid, examine(pid, 0, stat)).first;
    }
    for (const RunningApplication& app : ended)
        notifyTerminated(app);
    notifyActivated(RunningApplication{pid, found->second.id ? found->second.id : windowId});
}

void LinuxWorkspace::toplevelActivated(const std::optional<ToplevelWatcher::Window>& window) {
    if (!window) {
        m_waylandActivePid = 0;
        return;
    }
    const std::optional<QString> id = m_index.idForWindowClass(window->appId);
    if (window->pid > 0) {
        waylandActivated(window->pid, id);
        return;
    }
    if (!m_sway) {
        waylandActivated(id ? newestProcessOf(*id) : 0, id);
        return;
    }
    // The tree is read when the answer comes; a window focused meanwhile has its own activation.
    m_sway->send(SwayIpc::Message::getTree, {},
                 [this, appId = window->appId, id](const QJsonDocument& tree) {
                     waylandActivated(SwayTree::focusedPid(tree, appId), id);
                 });
}

// Switching between windows of one process is not a new activation.
void LinuxWorkspace::waylandActivated(pid_t pid, const std::optional<QString>& id) {
    if (pid <= 0 || pid == m_waylandActivePid)
        return;
    m_waylandActivePid = pid;
    activated(pid, id);
}

pid_t LinuxWorkspace::newestProcessOf(const QString& id) const {
    pid_t newest = 0;
    std::uint64_t newestStart = 0;
    for (const auto& [pid, process] : m_processes) {
        if (process.id == id && process.startTime >= newestStart) {
            newest = pid;
            newestStart = process.startTime;
        }
    }
    return newest;
}

// Only processes this workspace knows are signalled; through the pidfd when there is one, so a
// number that was reused meanwhile is never hit.
bool LinuxWorkspace::signal(pid_t pid, int signalNumber) {
    if (m_exitWatcher.isWatching(pid))
        return m_exitWatcher.signal(pid, signalNumber);
    if (m_pidfdSupported || !m_processes.count(pid))
        return false;
    return ::kill(pid, signalNumber) == 0;
}

// The compositor's window list also holds its XWayland windows, and the compositor sets X11's
// active window for them at the same moment: with both watchers one activation would arrive
// twice, in no fixed order. The list alone speaks, as it is the only one that sees every window;
// X11 is then used only to raise windows.
void LinuxWorkspace::connectX11(const QByteArray& display) {
    m_x11 = XcbSession::open(display);
    if (!m_x11) {
        if (!seesActivations())
            m_logger.log(QStringLiteral(
                "[Velmora] No X11 display; application activations will not be seen"));
        return;
    }
    m_activator = std::make_unique<WindowActivator>(*m_x11);
    if (!seesActivations())
        watchX11Activations();
}

void LinuxWorkspace::watchX11Activations() {
    m_activeWindows =
        std::make_unique<ActiveWindowWatcher>(*m_x11, [this](pid_t pid) { activated(pid); });
}

void LinuxWorkspace::connectWayland(const QByteArray& display, const QString& swaySocket) {
    m_wayland = WaylandConnection::open(display);
    if (!m_wayland)
        return;
    auto onActivated = [this](const std::optional<ToplevelWatcher::Window>& window) {
        toplevelActivated(window);
    };
    m_toplevels = PlasmaWindowWatcher::create(*m_wayland, onActivated);
    if (!m_toplevels)
        m_toplevels = ForeignToplevelWatcher::create(*m_wayland, onActivated);
    if (!m_toplevels) {
        m_wayland.reset();
        m_logger.log(QStringLiteral("[Velmora] The Wayland compositor does not share its window "
                                    "list; activations of Wayland windows will not be seen"));
        return;
    }
    connect(m_toplevels.get(), &ToplevelWatcher::stopped, this, &LinuxWorkspace::toplevelsStopped);
    // KWin's list names the process behind each window. Of the rest only sway does, through its
    // IPC; elsewhere the application's newest process is taken for it.
    m_sway = SwayIpc::connectTo(swaySocket);
    if (m_sway)
        connect(m_sway.get(), &SwayIpc::disconnected, this,
                [this] { m_sway.release()->deleteLater(); });
}

void LinuxWorkspace::toplevelsStopped() {
    m_logger.log(QStringLiteral("[Velmora] The Wayland compositor stopped sharing its window "
                                "list; activations of Wayland windows will not be seen"));
    if (m_x11 && !m_activeWindows)
        watchX11Activations();
}
