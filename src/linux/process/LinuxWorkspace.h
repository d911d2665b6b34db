#pragma once

#include "ports/Workspace.h"
#include "process/AppIdResolver.h"
#include "process/ExecWatcher.h"
#include "process/FileKey.h"
#include "process/ProcessExitWatcher.h"
#include "process/ProcessFiles.h"
#include "process/ProcessScanner.h"
#include "process/ProtectedPrograms.h"
#include "wayland/ToplevelWatcher.h"
#include "xdg/DesktopEntryIndex.h"

#include <QObject>
#include <memory>
#include <unordered_map>

class ActiveWindowWatcher;
class Logger;
class SwayIpc;
class WaylandConnection;
class WindowActivator;
class XcbSession;

// The user's applications on Linux: processes in /proc with a resolvable desktop-file ID, their
// endings through pidfds, activations through the compositor's window list on Wayland or X11's
// active window, and signals to stop them.
// A process is read and resolved once; after that a look costs one small read while no process
// has started, and one directory entry per process when one has.
class LinuxWorkspace : public QObject, public Workspace {
    Q_OBJECT

public:
    // Empty displays are left to libxcb and libwayland to find; an empty sway socket is no sway.
    explicit LinuxWorkspace(Logger& logger,
                            QStringList dataDirs = DesktopEntryIndex::defaultDataDirs(),
                            QByteArray x11Display = {}, QByteArray waylandDisplay = {},
                            QString swaySocket = {}, QObject* parent = nullptr);
    ~LinuxWorkspace() override;

    QList<RunningApplication> runningApplications() override;
    void forceTerminate(const RunningApplication& app) override;
    void terminate(const RunningApplication& app) override;
    bool activate(const RunningApplication& app) override;
    std::int32_t ownProcessIdentifier() const override;
    void watchLaunches(const QSet<QString>& bundleIdentifiers) override;
    QStringList programIdentities(const QString& bundleIdentifier, const QString& path) override;
    QStringList programFiles(const QString& bundleIdentifier, const QString& path) override;
    void recognisePrograms(const QHash<QString, QStringList>& identitiesById) override;
    std::optional<QDateTime> launchDate(const RunningApplication& app) override;

    // Whether endings arrive as events (pidfd) rather than at the next look.
    bool watchesExitsAsEvents() const { return m_pidfdSupported; }
    bool seesActivations() const;
    DesktopEntryIndex& applications() { return m_index; }
    QStringList watchedLaunchFiles() const { return m_execWatcher.watchedFiles(); }

private:
    struct Process {
        std::uint64_t inode = 0;
        std::uint64_t startTime = 0;
        // The file the process runs: a program executed anew is a different file or, for an
        // interpreter, other arguments.
        std::optional<FileKey> program;
        QString executable;
        QByteArray commandLine;
        std::optional<QString> id;
        // Until then (seconds since boot) the process may still be becoming its program.
        double youngUntil = 0;
        std::uint64_t seenInScan = 0;
        // Started through the loader, which had not mapped a known program yet.
        bool awaitingProgram = false;
        bool runsOthers = false;
        // The user's own process, which may execute another program at any time.
        bool own = false;
    };

    bool lookAtAll(QList<RunningApplication>& ended);
    void lookAtNew(const std::vector<ProcessScanner::Entry>& entries,
                   QList<RunningApplication>& ended);
    void recheckYoung(QList<RunningApplication>& ended);
    // After a watched program was executed: an old process may be the one that became it.
    void recheckAll();
    void updateApplications();
    Process& current(const ProcessScanner::Entry& entry, QList<RunningApplication>& ended);
    Process examine(pid_t pid, std::uint64_t inode, const std::optional<ProcessFiles::Stat>& stat);
    void recheckProgram(pid_t pid, Process& process, QList<RunningApplication>& ended);
    bool readProgram(pid_t pid, Process& process, const std::optional<FileKey>& program);
    void identify(pid_t pid, Process& process);
    // The protected application the program's contents name, over what the resolver found.
    std::optional<QString> byContents(pid_t pid, const Process& process,
                                      const std::optional<QString>& resolved);
    void keepIdentity(pid_t pid, Process& process, const QString& id);
    void learnProgram(pid_t pid, const QString& id);
    void forget(pid_t pid, QList<RunningApplication>& ended);
    void exited(pid_t pid);
    // `windowId` names the application when the process itself belongs to none.
    void activated(pid_t pid, const std::optional<QString>& windowId = std::nullopt);
    void toplevelActivated(const std::optional<ToplevelWatcher::Window>& window);
    void waylandActivated(pid_t pid, const std::optional<QString>& id);
    pid_t newestProcessOf(const QString& id) const;
    void connectWayland(const QByteArray& display, const QString& swaySocket);
    void toplevelsStopped();
    void watchX11Activations();
    bool signal(pid_t pid, int signalNumber);
    void connectX11(const QByteArray& display);
    void updateLaunchWatches();

    Logger& m_logger;
    DesktopEntryIndex m_index;
    AppIdResolver m_resolver;
    ProtectedPrograms m_programs;
    ProcessScanner m_scanner;
    ProcessExitWatcher m_exitWatcher;
    ExecWatcher m_execWatcher;
    QSet<QString> m_launchIds;
    bool m_pidfdSupported = false;
    std::unique_ptr<XcbSession> m_x11;
    std::unique_ptr<ActiveWindowWatcher> m_activeWindows;
    std::unique_ptr<WindowActivator> m_activator;
    std::unique_ptr<WaylandConnection> m_wayland;
    std::unique_ptr<ToplevelWatcher> m_toplevels;
    std::unique_ptr<SwayIpc> m_sway;
    pid_t m_waylandActivePid = 0;
    std::unordered_map<pid_t, Process> m_processes;
    std::uint64_t m_scanCount = 0;
    std::vector<pid_t> m_young;
    double m_lastListing = 0;
    QList<RunningApplication> m_applications;
    bool m_applicationsChanged = true;
};
