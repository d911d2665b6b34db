#include "xdg/DesktopEntryWalk.h"

#include <QDir>
#include <QFile>

namespace {

const QString desktopSuffix = QStringLiteral(".desktop");
// Larger files are not desktop entries anyone wrote by hand; reading them would stall the walk.
constexpr qint64 maximumEntrySize = 1 << 20;

} // namespace

DesktopEntryWalk::DesktopEntryWalk(QStringList dataDirs)
    : m_dataDirs(std::move(dataDirs)) {}

QString DesktopEntryWalk::applicationsFolder(const QString& dataDir) {
    return dataDir + QStringLiteral("/applications");
}

QList<DesktopEntryWalk::File> DesktopEntryWalk::files() const {
    QList<File> found;
    QSet<QString> seen;
    for (const QString& dataDir : m_dataDirs)
        addFolder(applicationsFolder(dataDir), seen, found);
    return found;
}

void DesktopEntryWalk::addFolder(const QString& folder, QSet<QString>& seen, QList<File>& found) {
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : names) {
        if (!name.endsWith(desktopSuffix))
            continue;
        const QString id = name.chopped(desktopSuffix.size());
        if (seen.contains(id))
            continue;
        seen.insert(id);
        found.append(File{id, folder + u'/' + name});
    }
}

std::optional<DesktopEntry> DesktopEntryWalk::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maximumEntrySize)
        return std::nullopt;
    return DesktopEntry::parse(file.read(maximumEntrySize));
}
