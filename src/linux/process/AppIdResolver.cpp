#include "process/AppIdResolver.h"

#include "process/ProcessFiles.h"
#include "xdg/DesktopEntryIndex.h"

#include <QFileInfo>

namespace {

const QString scopeSuffix = QStringLiteral(".scope");
const QString serviceSuffix = QStringLiteral(".service");

// systemd escapes every byte outside [A-Za-z0-9:_.] in unit names as \xNN.
QString unescapeUnitName(const QString& escaped) {
    QByteArray bytes;
    const QByteArray raw = escaped.toUtf8();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        bool ok = false;
        const int value = raw.mid(i + 2, 2).toInt(&ok, 16);
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x' && ok) {
            bytes.append(static_cast<char>(value));
            i += 3;
        } else {
            bytes.append(raw[i]);
        }
    }
    return QString::fromUtf8(bytes);
}

std::optional<QString> idFromUnitName(const QString& unit) {
    QStringList parts;
    qsizetype idIndexFromEnd = 0;
    if (unit.endsWith(scopeSuffix)) {
        parts = unit.chopped(scopeSuffix.size()).split(QLatin1Char('-'));
        idIndexFromEnd = 2;
    } else if (unit.endsWith(serviceSuffix)) {
        parts = unit.chopped(serviceSuffix.size())
                    .section(QLatin1Char('@'), 0, 0)
                    .split(QLatin1Char('-'));
        idIndexFromEnd = 1;
    } else {
        return std::nullopt;
    }
    // "app", an optional launcher, the ID, and for scopes a number.
    const qsizetype minimum = 1 + idIndexFromEnd;
    if (parts.first() != QLatin1String("app") || parts.size() < minimum ||
        parts.size() > minimum + 1)
        return std::nullopt;
    const QString id = unescapeUnitName(parts.at(parts.size() - idIndexFromEnd));
    if (id.isEmpty())
        return std::nullopt;
    return id;
}

bool isInterpreter(const QString& executable) {
    static const QStringList names{QStringLiteral("perl"),   QStringLiteral("ruby"),
                                   QStringLiteral("bash"),   QStringLiteral("sh"),
                                   QStringLiteral("dash"),   QStringLiteral("node"),
                                   QStringLiteral("nodejs"), QStringLiteral("gjs")};
    const QString name = QFileInfo(executable).fileName();
    return name.startsWith(QLatin1String("python")) || names.contains(name);
}

} // namespace

AppIdResolver::AppIdResolver(DesktopEntryIndex& index, QString ownExecutable)
    : m_index(index)
    , m_ownExecutable(std::move(ownExecutable)) {}

std::optional<QString> AppIdResolver::resolve(pid_t pid, const QString& executable,
                                              const QByteArray& commandLine) {
    Process process{pid, executable, {}};
    if (!m_ownExecutable.isEmpty() && process.executable == m_ownExecutable)
        return ownId();
    if (auto id = idFromFlatpakInfo(ProcessFiles::flatpakInfo(pid)))
        return id;
    const QString cgroup = ProcessFiles::unifiedCgroup(pid);
    if (auto id = idFromSnapCgroup(cgroup))
        return id;
    const QByteArray arguments = commandLine.endsWith('\0') ? commandLine.chopped(1) : commandLine;
    if (!arguments.isEmpty()) {
        for (const QByteArray& argument : arguments.split('\0'))
            process.arguments.append(QString::fromLocal8Bit(argument));
    }
    if (auto id = idFromUnit(process, cgroup))
        return id;
    if (auto id = idFromLaunchEnvironment(pid))
        return id;
    return idFromExecutable(process);
}

std::optional<QString> AppIdResolver::idFromFlatpakInfo(const QByteArray& info) {
    bool inApplication = false;
    for (const QByteArray& rawLine : info.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inApplication = line == "[Application]";
            continue;
        }
        if (inApplication && line.startsWith("name=") && line.size() > 5)
            return QString::fromUtf8(line.mid(5));
    }
    return std::nullopt;
}

std::optional<QString> AppIdResolver::idFromSnapCgroup(const QString& cgroupPath) {
    const QString unit = cgroupPath.section(QLatin1Char('/'), -1);
    if (!unit.startsWith(QLatin1String("snap.")))
        return std::nullopt;
    QString rest = unit.mid(5);
    if (rest.endsWith(serviceSuffix)) {
        rest.chop(serviceSuffix.size());
    } else if (rest.endsWith(scopeSuffix)) {
        rest.chop(scopeSuffix.size());
        // The launch's UUID: 36 characters after a dash.
        if (rest.size() < 38 || rest[rest.size() - 37] != QLatin1Char('-'))
            return std::nullopt;
        rest.chop(37);
    } else {
        return std::nullopt;
    }
    const QString snap = rest.section(QLatin1Char('.'), 0, 0);
    const QString app = rest.section(QLatin1Char('.'), 1);
    if (snap.isEmpty() || app.isEmpty())
        return std::nullopt;
    return snap + QLatin1Char('_') + app;
}

std::optional<QString> AppIdResolver::idFromSystemdCgroup(const QString& cgroupPath) {
    const QStringList units = cgroupPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    // The innermost app unit counts; a unit may hold sub-groups of its own.
    for (auto it = units.crbegin(); it != units.crend(); ++it) {
        if (auto id = idFromUnitName(*it))
            return id;
    }
    return std::nullopt;
}

// Everything a launcher starts inherits its unit, so the unit's ID holds only for the program
// the unit was made for; a shell's children are judged on their own.
std::optional<QString> AppIdResolver::idFromUnit(const Process& process,
                                                 const QString& cgroupPath) {
    const auto id = idFromSystemdCgroup(cgroupPath);
    if (!id)
        return std::nullopt;
    const QStringList candidates = programCandidates(process);
    for (const QString& program : candidates) {
        if (m_index.runsProgram(*id, program))
            return id;
    }
    return std::nullopt;
}

// The variable is inherited by every child, so only the process it was set for counts.
std::optional<QString> AppIdResolver::idFromLaunchEnvironment(pid_t pid) {
    const QByteArray environment = ProcessFiles::environment(pid);
    const auto launchedPid = ProcessFiles::variable(environment, "GIO_LAUNCHED_DESKTOP_FILE_PID");
    if (!launchedPid || launchedPid->toLongLong() != pid)
        return std::nullopt;
    const auto file = ProcessFiles::variable(environment, "GIO_LAUNCHED_DESKTOP_FILE");
    if (!file || file->isEmpty())
        return std::nullopt;
    const QString id = m_index.idForFile(QString::fromLocal8Bit(*file));
    if (id.isEmpty())
        return std::nullopt;
    return id;
}

std::optional<QString> AppIdResolver::idFromExecutable(const Process& process) {
    const QStringList candidates = programCandidates(process);
    for (const QString& program : candidates) {
        if (auto id = m_index.idForProgram(program, process.arguments.mid(1)))
            return id;
    }
    return std::nullopt;
}

QStringList AppIdResolver::programCandidates(const Process& process) const {
    QStringList candidates;
    if (!process.executable.isEmpty())
        candidates.append(process.executable);
    if (process.arguments.isEmpty())
        return candidates;
    const QString started = m_index.rememberedCanonicalProgram(process.arguments.first());
    if (!started.isEmpty() && !candidates.contains(started))
        candidates.append(started);
    // A script names its program as the interpreter's first argument.
    if (isInterpreter(process.executable) && process.arguments.size() > 1) {
        const QString script = m_index.rememberedCanonicalProgram(process.arguments.at(1));
        if (!script.isEmpty() && !candidates.contains(script))
            candidates.append(script);
    }
    return candidates;
}
