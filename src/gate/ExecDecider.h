#pragma once

#include "DrivePresence.h"
#include "ProgramFacts.h"
#include "UserPolicy.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <memory>
#include <mutex>
#include <sys/types.h>

// The answer to one exec-permission event.
struct ExecVerdict {
    bool deny = false;
    uid_t uid = 0;
    QString appId;
};

// Decides whether an exec may go on. Called from one thread only (the gate's worker); the
// policies are replaced from the Qt thread.
class ExecDecider {
public:
    ExecDecider();

    void setPolicies(const QMap<uid_t, UserPolicy>& policies);
    ExecVerdict decide(pid_t pid, int fd);

    // The real and effective uids of a process, from /proc/<pid>/status; empty when it is gone.
    static QList<uid_t> uidsOf(pid_t pid);

private:
    struct FileKey {
        dev_t device;
        ino_t inode;
        off_t size;
        qint64 mtimeNs;
        bool operator==(const FileKey&) const = default;
    };
    friend size_t qHash(const FileKey& key, size_t seed) {
        return qHashMulti(seed, key.device, key.inode, key.size, key.mtimeNs);
    }

    std::shared_ptr<const QMap<uid_t, UserPolicy>> policies() const;
    const ProgramFacts* factsOf(int fd);
    bool isInterpreterOfPendingExec(pid_t pid);
    ExecVerdict decideLoaderRun(uid_t uid, const QList<GatedApp>& gated);
    ExecVerdict decideProgram(uid_t uid, const QList<GatedApp>& gated, int fd,
                              const ProgramFacts& facts);
    static QString pathOf(int fd);

    mutable std::mutex m_policiesMutex;
    std::shared_ptr<const QMap<uid_t, UserPolicy>> m_policies;
    QHash<FileKey, ProgramFacts> m_facts;
    QSet<QString> m_loaderIdentities;
    // Processes whose last exec event was a dynamically linked program: their next exec event is
    // the kernel opening its interpreter, not the user running the loader.
    QHash<pid_t, qint64> m_awaitingInterpreter;
    DrivePresence m_drives;
};
