#include "ExecDecider.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bounds that keep a flood of events from growing the gate without end.
constexpr qsizetype maximumCachedFiles = 4096;
constexpr qsizetype maximumAwaitingProcesses = 4096;
// The interpreter is opened within the same execve, microseconds after the program.
constexpr qint64 interpreterWindowMs = 2000;

// The dynamic loaders a user could run directly, whatever they are called or copied to.
QSet<QString> loaderIdentities() {
    QStringList paths{
        QStringLiteral("/lib64/ld-linux-x86-64.so.2"), QStringLiteral("/lib/ld-linux.so.2"),
        QStringLiteral("/lib/ld-linux-aarch64.so.1"), QStringLiteral("/lib/ld-linux-armhf.so.3")};
    for (const QString& root : {QStringLiteral("/lib"), QStringLiteral("/usr/lib")}) {
        for (const QFileInfo& folder :
             QDir(root).entryInfoList({QStringLiteral("*-linux-gnu*")}, QDir::Dirs)) {
            for (const QFileInfo& file :
                 QDir(folder.filePath()).entryInfoList({QStringLiteral("ld-*.so*")}, QDir::Files))
                paths.append(file.filePath());
        }
    }
    QSet<QString> identities;
    for (const QString& path : paths) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat status {};
        if (fd >= 0 && ::fstat(fd, &status) == 0)
            identities.insert(ProgramFacts::of(fd, status.st_size).identity);
        if (fd >= 0)
            ::close(fd);
    }
    identities.remove(QString());
    return identities;
}

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

ExecDecider::ExecDecider()
    : m_policies(std::make_shared<const QMap<uid_t, UserPolicy>>())
    , m_loaderIdentities(loaderIdentities()) {}

void ExecDecider::setPolicies(const QMap<uid_t, UserPolicy>& policies) {
    auto next = std::make_shared<const QMap<uid_t, UserPolicy>>(policies);
    const std::lock_guard lock(m_policiesMutex);
    m_policies = std::move(next);
}

std::shared_ptr<const QMap<uid_t, UserPolicy>> ExecDecider::policies() const {
    const std::lock_guard lock(m_policiesMutex);
    return m_policies;
}

ExecVerdict ExecDecider::decide(pid_t pid, int fd) {
    const auto all = policies();
    for (const uid_t uid : uidsOf(pid)) {
        const auto found = all->constFind(uid);
        if (uid == 0 || found == all->constEnd())
            continue;
        const QList<GatedApp> gated = found->gatedApps();
        const ProgramFacts* facts = gated.isEmpty() ? nullptr : factsOf(fd);
        if (!facts)
            return {};
        if (m_loaderIdentities.contains(facts->identity))
            return isInterpreterOfPendingExec(pid) ? ExecVerdict{} : decideLoaderRun(uid, gated);
        if (facts->hasInterpreter && m_awaitingInterpreter.size() < maximumAwaitingProcesses)
            m_awaitingInterpreter.insert(pid, nowMs());
        else
            m_awaitingInterpreter.remove(pid);
        const ExecVerdict verdict = decideProgram(uid, gated, fd, *facts);
        if (verdict.deny)
            m_awaitingInterpreter.remove(pid);
        return verdict;
    }
    return {};
}

bool ExecDecider::isInterpreterOfPendingExec(pid_t pid) {
    const auto found = m_awaitingInterpreter.constFind(pid);
    if (found == m_awaitingInterpreter.constEnd())
        return false;
    const bool recent = nowMs() - *found <= interpreterWindowMs;
    m_awaitingInterpreter.erase(found);
    return recent;
}

ExecVerdict ExecDecider::decideLoaderRun(uid_t uid, const QList<GatedApp>& gated) {
    // The loader can map any program without an exec of it; while an app of this user lacks
    // its drive, running the loader by hand is refused.
    for (const GatedApp& app : gated) {
        if (!m_drives.isAnyMounted(app.driveUuids))
            return {true, uid, app.appId};
    }
    return {};
}

ExecVerdict ExecDecider::decideProgram(uid_t uid, const QList<GatedApp>& gated, int fd,
                                       const ProgramFacts& facts) {
    const bool hasStrongIdentity = !facts.identity.startsWith(QLatin1String("size:"));
    QString path;
    for (const GatedApp& app : gated) {
        bool matches = hasStrongIdentity && app.programIdentities.contains(facts.identity);
        if (!matches && !app.programPaths.isEmpty()) {
            if (path.isEmpty())
                path = pathOf(fd);
            matches = app.programPaths.contains(path);
        }
        if (matches && !m_drives.isAnyMounted(app.driveUuids))
            return {true, uid, app.appId};
    }
    return {};
}

const ProgramFacts* ExecDecider::factsOf(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return nullptr;
    const FileKey key{status.st_dev, status.st_ino, status.st_size,
                      status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec};
    const auto found = m_facts.constFind(key);
    if (found != m_facts.constEnd())
        return &*found;
    if (m_facts.size() >= maximumCachedFiles)
        m_facts.clear();
    ProgramFacts facts = ProgramFacts::of(fd, status.st_size);
    if (facts.identity.isEmpty())
        return nullptr;
    return &*m_facts.insert(key, facts);
}

QList<uid_t> ExecDecider::uidsOf(pid_t pid) {
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    for (const QByteArray& line : file.read(16384).split('\n')) {
        if (!line.startsWith("Uid:"))
            continue;
        const QList<QByteArray> fields = line.mid(4).simplified().split(' ');
        QList<uid_t> uids;
        bool ok = false;
        for (const QByteArray& field : fields.mid(0, 2)) {
            const uid_t uid = field.toUInt(&ok);
            if (ok && !uids.contains(uid))
                uids.append(uid);
        }
        return uids;
    }
    return {};
}

QString ExecDecider::pathOf(int fd) {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
}
