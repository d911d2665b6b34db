#include "process/ProtectedPrograms.h"

#include "process/ProcessFiles.h"
#include "process/ProgramIdentity.h"
#include "xdg/DesktopEntry.h"
#include "xdg/DesktopEntryIndex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 maximumEntrySize = 1 << 20;
constexpr qsizetype maximumLauncherSize = 64 * 1024;
// An interpreter's script is among its first few arguments.
constexpr qsizetype scriptArguments = 8;
constexpr qsizetype maximumLearned = 16;

QByteArray procPath(pid_t pid, const QByteArray& file) {
    return QByteArray("/proc/") + QByteArray::number(pid) + '/' + file;
}

// Registration reads whole files: a copy may have any name, so only its contents can tell.
QString hashedIdentity(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat info {};
    QString identity;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        identity = ProgramIdentity::of(fd, info.st_size, true);
    ::close(fd);
    return identity;
}

bool isFile(const QString& path) {
    return QFileInfo(path).isFile();
}

// The programs a shell launcher replaces itself with: "exec /opt/app/bin/app ...".
QStringList execTargets(const QString& launcher) {
    QFile file(launcher);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.read(maximumLauncherSize);
    if (!text.startsWith("#!"))
        return {};
    QStringList targets;
    for (const QByteArray& line : text.split('\n')) {
        const QStringList words = DesktopEntry::splitExec(QString::fromUtf8(line).trimmed());
        const qsizetype exec = words.indexOf(QStringLiteral("exec"));
        if (exec < 0)
            continue;
        for (qsizetype i = exec + 1; i < words.size(); ++i) {
            // "exec -a name program": the name is not a program.
            if (words.at(i) == QLatin1String("-a")) {
                ++i;
                continue;
            }
            if (words.at(i).startsWith(QLatin1Char('-')))
                continue;
            const QString program = DesktopEntryIndex::canonicalProgram(words.at(i));
            if (!program.isEmpty() && !ProtectedPrograms::runsOthers(program))
                targets.append(program);
            break;
        }
    }
    return targets;
}

} // namespace

ProtectedPrograms::ProtectedPrograms(QStringList dataDirs)
    : m_dataDirs(std::move(dataDirs)) {}

bool ProtectedPrograms::isLoader(const QString& executable) {
    const QString name = QFileInfo(executable).fileName();
    return name.startsWith(QLatin1String("ld-linux")) || name.startsWith(QLatin1String("ld.so")) ||
           (name.startsWith(QLatin1String("ld-")) && name.contains(QLatin1String(".so")));
}

bool ProtectedPrograms::runsOthers(const QString& program) {
    static const QStringList names{
        QStringLiteral("perl"),    QStringLiteral("ruby"),   QStringLiteral("bash"),
        QStringLiteral("sh"),      QStringLiteral("dash"),   QStringLiteral("zsh"),
        QStringLiteral("node"),    QStringLiteral("nodejs"), QStringLiteral("gjs"),
        QStringLiteral("java"),    QStringLiteral("php"),    QStringLiteral("env"),
        QStringLiteral("flatpak"), QStringLiteral("snap"),   QStringLiteral("wine"),
        QStringLiteral("mono"),    QStringLiteral("dotnet"), QStringLiteral("tclsh"),
        QStringLiteral("wish"),    QStringLiteral("Rscript")};
    const QString name = QFileInfo(program).fileName();
    return name.startsWith(QLatin1String("python")) || name.startsWith(QLatin1String("lua")) ||
           names.contains(name) || isLoader(program);
}

QStringList ProtectedPrograms::identitiesOf(const QString& id, const QString& path) {
    QStringList identities;
    for (const QString& file : filesOf(id, path)) {
        const QString identity = hashedIdentity(file);
        if (!identity.isEmpty() && !identities.contains(identity))
            identities.append(identity);
    }
    for (const QString& identity : m_learned.value(id)) {
        if (!identities.contains(identity))
            identities.append(identity);
    }
    return identities;
}

void ProtectedPrograms::setIdentities(const QHash<QString, QStringList>& identitiesById) {
    m_idsByIdentity.clear();
    for (auto it = identitiesById.cbegin(); it != identitiesById.cend(); ++it) {
        for (const QString& identity : it.value())
            m_idsByIdentity.insert(identity, it.key());
    }
    updateHashedSizes();
}

void ProtectedPrograms::updateHashedSizes() {
    QSet<off_t> sizes;
    for (auto it = m_idsByIdentity.cbegin(); it != m_idsByIdentity.cend(); ++it) {
        const off_t size = ProgramIdentity::hashedSize(it.key());
        if (size >= 0)
            sizes.insert(size);
    }
    m_cache.setHashedSizes(std::move(sizes));
}

std::optional<QString> ProtectedPrograms::match(pid_t pid, const QString& executable,
                                                const QByteArrayList& arguments) {
    if (m_idsByIdentity.isEmpty())
        return std::nullopt;
    // Through the process's own link: the file that runs, even when removed or replaced since.
    if (auto id = owner(m_cache.identityOfProgram(pid)))
        return id;
    if (isLoader(executable))
        return matchMapped(pid, executable);
    if (runsOthers(executable))
        return matchScript(pid, arguments);
    return std::nullopt;
}

std::optional<QString> ProtectedPrograms::owner(const QString& identity) const {
    const auto found = m_idsByIdentity.constFind(identity);
    if (identity.isEmpty() || found == m_idsByIdentity.constEnd())
        return std::nullopt;
    return *found;
}

// "ld.so /opt/app/bin/app": the loader maps the program before any library it needs.
std::optional<QString> ProtectedPrograms::matchMapped(pid_t pid, const QString& executable) {
    const QByteArray maps = ProcessFiles::read(procPath(pid, "maps"), 256 * 1024);
    QStringList seen;
    for (const QByteArray& line : maps.split('\n')) {
        const qsizetype slash = line.indexOf(" /");
        if (slash < 0)
            continue;
        const QString file = QString::fromLocal8Bit(line.mid(slash + 1));
        if (file == executable || seen.contains(file))
            continue;
        seen.append(file);
        if (auto id = owner(m_cache.identityOfPath(file)))
            return id;
    }
    return std::nullopt;
}

// A script named by any path, relative ones from the process's own folder, or read from its
// standard input.
std::optional<QString> ProtectedPrograms::matchScript(pid_t pid, const QByteArrayList& arguments) {
    const QByteArray cwd = procPath(pid, "cwd/");
    for (qsizetype i = 1; i < arguments.size() && i <= scriptArguments; ++i) {
        const QByteArray& argument = arguments.at(i);
        if (argument.isEmpty() || argument.startsWith('-'))
            continue;
        const QByteArray path = argument.startsWith('/') ? argument : cwd + argument;
        if (auto id = owner(m_cache.identityOfPath(QFile::decodeName(path))))
            return id;
    }
    return owner(m_cache.identityOfPath(QString::fromLatin1(procPath(pid, "fd/0"))));
}

bool ProtectedPrograms::learn(const QString& id, pid_t pid) {
    const QString executable = ProcessFiles::executable(pid);
    if (executable.isEmpty() || runsOthers(executable))
        return false;
    const QString identity = hashedIdentity(QString::fromLatin1(procPath(pid, "exe")));
    QStringList& learned = m_learned[id];
    if (identity.isEmpty() || learned.contains(identity) || m_idsByIdentity.contains(identity))
        return false;
    if (learned.size() >= maximumLearned)
        learned.removeFirst();
    learned.append(identity);
    m_idsByIdentity.insert(identity, id);
    updateHashedSizes();
    return true;
}

QStringList ProtectedPrograms::filesOf(const QString& id, const QString& path) const {
    QStringList entries;
    if (path.endsWith(QLatin1String(".desktop")))
        entries.append(path);
    else if (isFile(path))
        return {QFileInfo(path).canonicalFilePath()};
    for (const QString& dataDir : m_dataDirs)
        entries.append(dataDir + QStringLiteral("/applications/") + id +
                       QStringLiteral(".desktop"));
    QStringList files;
    for (const QString& entryPath : std::as_const(entries)) {
        QFile file(entryPath);
        if (!file.open(QIODevice::ReadOnly) || file.size() > maximumEntrySize)
            continue;
        const auto entry = DesktopEntry::parse(file.read(maximumEntrySize));
        if (!entry)
            continue;
        for (const QString& program : filesOfEntry(*entry)) {
            if (!files.contains(program))
                files.append(program);
        }
    }
    return files;
}

// An interpreted application is its script or archive, never the interpreter every other
// script shares; a shell launcher is also what it executes.
QStringList ProtectedPrograms::filesOfEntry(const DesktopEntry& entry) {
    const QString program = DesktopEntryIndex::canonicalProgram(entry.execProgram());
    if (program.isEmpty())
        return {};
    if (!runsOthers(program)) {
        QStringList files{program};
        files.append(execTargets(program));
        const QString tryExec =
            DesktopEntryIndex::canonicalProgram(entry.value(QStringLiteral("TryExec")));
        if (!tryExec.isEmpty() && !runsOthers(tryExec) && !files.contains(tryExec))
            files.append(tryExec);
        return files;
    }
    const QString folder = entry.value(QStringLiteral("Path"));
    for (const QString& argument : entry.execFixedArguments()) {
        const bool relative = !argument.startsWith(QLatin1Char('/'));
        if (argument.startsWith(QLatin1Char('-')) || (relative && folder.isEmpty()))
            continue;
        const QString file = QFileInfo(QDir(folder), argument).canonicalFilePath();
        if (!file.isEmpty() && isFile(file))
            return QStringList{file} + execTargets(file);
    }
    return {};
}
