#include "xdg/DesktopEntryIndex.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Bounds the memory a stream of odd program names can take.
constexpr qsizetype maximumRememberedPrograms = 4096;
const QString desktopSuffix = QStringLiteral(".desktop");

} // namespace

DesktopEntryIndex::DesktopEntryIndex(QStringList dataDirs, QObject* parent)
    : QObject(parent)
    , m_walk(std::move(dataDirs)) {
    connect(&m_watcher, &FolderChangeWatcher::changed, this, [this] {
        m_stale = true;
        emit changed();
    });
}

QStringList DesktopEntryIndex::defaultDataDirs() {
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    QString system = qEnvironmentVariable("XDG_DATA_DIRS");
    if (system.isEmpty())
        system = QStringLiteral("/usr/local/share:/usr/share");
    QStringList dirs{home};
    for (const QString& dir : system.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (!dirs.contains(dir))
            dirs.append(dir);
    }
    return dirs;
}

QString DesktopEntryIndex::idForFile(const QString& path) const {
    QString relative = QFileInfo(path).fileName();
    for (const QString& dataDir : m_walk.dataDirs()) {
        const QString prefix = DesktopEntryWalk::applicationsFolder(dataDir) + QLatin1Char('/');
        if (path.startsWith(prefix)) {
            relative = path.mid(prefix.size()).replace(QLatin1Char('/'), QLatin1Char('-'));
            break;
        }
    }
    if (relative.endsWith(desktopSuffix))
        relative.chop(desktopSuffix.size());
    return relative;
}

bool DesktopEntryIndex::contains(const QString& id) {
    rebuildIfStale();
    return m_programsById.contains(id);
}

std::optional<QString> DesktopEntryIndex::idForProgram(const QString& executable,
                                                       const QStringList& arguments) {
    rebuildIfStale();
    const auto found = m_candidatesByProgram.constFind(executable);
    if (found == m_candidatesByProgram.constEnd())
        return std::nullopt;
    for (const Candidate& candidate : *found) {
        const bool allPresent =
            std::all_of(candidate.fixedArguments.begin(), candidate.fixedArguments.end(),
                        [&](const QString& argument) { return arguments.contains(argument); });
        if (allPresent)
            return candidate.id;
    }
    return std::nullopt;
}

std::optional<QString> DesktopEntryIndex::idForWindowClass(const QString& appId) {
    rebuildIfStale();
    if (appId.isEmpty())
        return std::nullopt;
    if (m_programsById.contains(appId))
        return appId;
    for (const QHash<QString, QString>* ids : {&m_idsByWindowClass, &m_idsByProgramName}) {
        const auto found = ids->constFind(appId);
        if (found != ids->constEnd())
            return *found;
    }
    return std::nullopt;
}

bool DesktopEntryIndex::runsProgram(const QString& id, const QString& executable) {
    rebuildIfStale();
    return m_programsById.value(id).contains(executable);
}

QStringList DesktopEntryIndex::launchFiles(const QString& id) {
    rebuildIfStale();
    QStringList files = m_programsById.value(id);
    const QString script = m_scriptsById.value(id);
    if (!script.isEmpty() && !files.contains(script))
        files.append(script);
    return files;
}

QString DesktopEntryIndex::canonicalProgram(const QString& program) {
    if (program.isEmpty())
        return {};
    const QString path =
        program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

QString DesktopEntryIndex::rememberedCanonicalProgram(const QString& program) {
    rebuildIfStale();
    const auto found = m_canonicalPrograms.constFind(program);
    if (found != m_canonicalPrograms.constEnd())
        return *found;
    if (m_canonicalPrograms.size() >= maximumRememberedPrograms)
        m_canonicalPrograms.clear();
    const QString canonical = canonicalProgram(program);
    m_canonicalPrograms.insert(program, canonical);
    return canonical;
}

void DesktopEntryIndex::rebuildIfStale() {
    if (!m_stale)
        return;
    m_stale = false;
    m_programsById.clear();
    m_scriptsById.clear();
    m_candidatesByProgram.clear();
    m_canonicalPrograms.clear();
    m_idsByWindowClass.clear();
    m_idsByProgramName.clear();
    for (const DesktopEntryWalk::File& file : m_walk.files())
        addEntry(file.id, file.path);
    watchFolders();
}

void DesktopEntryIndex::addEntry(const QString& id, const QString& path) {
    m_programsById.insert(id, {});
    const auto entry = DesktopEntryWalk::read(path);
    if (!entry || !entry->isApplication() || entry->isHiddenFromUser())
        return;
    QStringList& programs = m_programsById[id];
    const QString windowClass = entry->value(QStringLiteral("StartupWMClass"));
    if (!windowClass.isEmpty() && !m_idsByWindowClass.contains(windowClass))
        m_idsByWindowClass.insert(windowClass, id);
    const QString programName = QFileInfo(entry->execProgram()).fileName();
    if (!programName.isEmpty() && !m_idsByProgramName.contains(programName))
        m_idsByProgramName.insert(programName, id);
    const QString exec = canonicalProgram(entry->execProgram());
    if (!exec.isEmpty()) {
        programs.append(exec);
        const QStringList fixed = entry->execFixedArguments();
        m_candidatesByProgram[exec].append(Candidate{id, fixed});
        // "sh /opt/app/run.sh": the interpreter opens its script as it starts.
        if (!fixed.isEmpty() && fixed.first().startsWith(QLatin1Char('/')))
            m_scriptsById.insert(id, QFileInfo(fixed.first()).canonicalFilePath());
    }
    const QString tryExec = canonicalProgram(entry->value(QStringLiteral("TryExec")));
    if (!tryExec.isEmpty() && tryExec != exec) {
        programs.append(tryExec);
        m_candidatesByProgram[tryExec].append(Candidate{id, {}});
    }
}

// Folders that do not exist yet are noticed through their data folder.
void DesktopEntryIndex::watchFolders() {
    QStringList folders;
    QHash<QString, QString> awaiting;
    for (const QString& dataDir : m_walk.dataDirs()) {
        const QString folder = DesktopEntryWalk::applicationsFolder(dataDir);
        if (QFileInfo(folder).isDir()) {
            folders.append(folder);
        } else if (QFileInfo(dataDir).isDir()) {
            folders.append(dataDir);
            awaiting.insert(dataDir, QStringLiteral("applications"));
        }
    }
    m_watcher.setFolders(folders, awaiting);
}
