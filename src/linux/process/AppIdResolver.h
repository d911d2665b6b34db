#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>

class DesktopEntryIndex;

// Finds the desktop-file ID of a process, trying in turn: its Flatpak sandbox, its Snap cgroup,
// the systemd unit its launcher started it in, the desktop file a GIO launcher handed it, and
// finally its executable among the installed applications' programs.
class AppIdResolver {
public:
    AppIdResolver(DesktopEntryIndex& index, QString ownExecutable);

    static QString ownId() { return QStringLiteral("com.tarnwick.Velmora"); }

    // nullopt for processes that belong to no application, and for ones that cannot be read.
    // The executable and the command line (NUL-separated) are the ones the caller read from
    // /proc for this process.
    std::optional<QString> resolve(pid_t pid, const QString& executable,
                                   const QByteArray& commandLine);

    static std::optional<QString> idFromFlatpakInfo(const QByteArray& info);
    // "snap.<snap>.<app>-<uuid>.scope" or "snap.<snap>.<app>.service" names "<snap>_<app>".
    static std::optional<QString> idFromSnapCgroup(const QString& cgroupPath);
    // "app[-<launcher>]-<id>[@<n>].service" and "app[-<launcher>]-<id>-<n>.scope".
    static std::optional<QString> idFromSystemdCgroup(const QString& cgroupPath);

private:
    struct Process {
        pid_t pid = 0;
        QString executable;
        QStringList arguments;
    };

    std::optional<QString> idFromUnit(const Process& process, const QString& cgroupPath);
    std::optional<QString> idFromLaunchEnvironment(pid_t pid);
    std::optional<QString> idFromExecutable(const Process& process);
    // The paths the process may have been started as, most telling first.
    QStringList programCandidates(const Process& process) const;

    DesktopEntryIndex& m_index;
    QString m_ownExecutable;
};
