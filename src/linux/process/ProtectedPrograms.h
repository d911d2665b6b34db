#pragma once

#include "process/ProgramIdentityCache.h"

#include <QByteArrayList>
#include <QHash>
#include <QStringList>
#include <optional>
#include <sys/types.h>

class DesktopEntry;

// Recognises a protected application by the contents of what a process runs, wherever the file
// lies and whatever it is called: its program, the program the dynamic loader was asked to run,
// or the script (or archive) an interpreter was given by any path or on its standard input.
class ProtectedPrograms {
public:
    explicit ProtectedPrograms(QStringList dataDirs);

    // The identities of the files the application runs, read now: from its desktop entry at
    // `path` (or its program, when `path` is one), else from every entry of that ID in the data
    // folders, hidden ones too; with the programs its processes were seen to become.
    QStringList identitiesOf(const QString& id, const QString& path);
    void setIdentities(const QHash<QString, QStringList>& identitiesById);
    // The files whose identities identitiesOf reads, without the learned ones.
    QStringList filesOf(const QString& id, const QString& path) const;
    // The application whose file the process runs; nullopt when none is protected.
    std::optional<QString> match(pid_t pid, const QString& executable,
                                 const QByteArrayList& arguments);
    // Whether the process may yet load the program it runs (started through the loader).
    static bool isLoader(const QString& executable);
    // Whether the program runs what its arguments name (an interpreter, the loader, a runner),
    // so its own identity says nothing of the application.
    static bool runsOthers(const QString& program);
    // A launcher of `id` became the program the process runs now: that program is `id`'s too.
    // True when it was not known before.
    bool learn(const QString& id, pid_t pid);

private:
    void updateHashedSizes();
    std::optional<QString> owner(const QString& identity) const;
    std::optional<QString> matchMapped(pid_t pid, const QString& executable);
    std::optional<QString> matchScript(pid_t pid, const QByteArrayList& arguments);
    static QStringList filesOfEntry(const DesktopEntry& entry);

    QStringList m_dataDirs;
    QHash<QString, QString> m_idsByIdentity;
    QHash<QString, QStringList> m_learned;
    ProgramIdentityCache m_cache;
};
