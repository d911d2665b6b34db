#include "xdg/ApplicationScanner.h"

#include "ports/Logger.h"
#include "xdg/DesktopEntry.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <algorithm>

namespace {

const QString desktopSuffix = QStringLiteral(".desktop");
// Larger files are not desktop entries anyone wrote by hand; reading them would stall the list.
constexpr qint64 maximumEntrySize = 1 << 20;

std::optional<DesktopEntry> readEntry(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maximumEntrySize)
        return std::nullopt;
    return DesktopEntry::parse(file.readAll());
}

// The value of `key` in the first localised variant present, else empty.
QString localizedValue(const DesktopEntry& entry, const QString& key, const QStringList& suffixes) {
    for (const QString& suffix : suffixes) {
        const QString value = entry.value(key + u'[' + suffix + u']');
        if (!value.isEmpty())
            return value;
    }
    return {};
}

void addName(QStringList& names, const QString& name) {
    if (!name.isEmpty() && !names.contains(name))
        names.append(name);
}

void addList(QStringList& names, const QString& list) {
    for (const QString& item : list.split(u';', Qt::SkipEmptyParts))
        addName(names, item.trimmed());
}

// The set's textual form in the log: ["a", "b"].
QString describe(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names)
        quoted.append(u'"' + name + u'"');
    return u'[' + quoted.join(QStringLiteral(", ")) + u']';
}

} // namespace

ApplicationScanner::ApplicationScanner(Logger& logger, QStringList dataDirs)
    : m_logger(logger)
    , m_dataDirs(std::move(dataDirs)) {}

QList<AppInfo> ApplicationScanner::scan(const QSet<QString>& excluded,
                                        const QString& localeName) const {
    const QStringList suffixes = localeSuffixes(localeName);
    QSet<QString> seen;
    QList<AppInfo> found;
    for (const QString& dataDir : m_dataDirs)
        scanFolder(dataDir + QStringLiteral("/applications"), excluded, suffixes, seen, found);
    sortByName(found, localeName);
    return found;
}

void ApplicationScanner::scanFolder(const QString& folder, const QSet<QString>& excluded,
                                    const QStringList& suffixes, QSet<QString>& seen,
                                    QList<AppInfo>& found) const {
    // An unreadable or missing folder lists nothing.
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString& fileName : names) {
        if (!fileName.endsWith(desktopSuffix, Qt::CaseSensitive))
            continue;
        const QString id = fileName.chopped(desktopSuffix.size());
        // The first folder's entry decides, even when it hides the application.
        if (seen.contains(id))
            continue;
        seen.insert(id);
        if (excluded.contains(id))
            continue;
        const QString path = folder + u'/' + fileName;
        const std::optional<DesktopEntry> entry = readEntry(path);
        if (!entry || !entry->isApplication() || entry->isHiddenFromUser())
            continue;
        const QString displayName = entry->value(QStringLiteral("Name"));
        if (displayName.isEmpty())
            continue;
        const QString localizedName = localizedValue(*entry, QStringLiteral("Name"), suffixes);

        QStringList searchNames;
        addName(searchNames, id);
        addName(searchNames, displayName);
        addName(searchNames, localizedName);
        addName(searchNames, entry->value(QStringLiteral("GenericName")));
        addName(searchNames, localizedValue(*entry, QStringLiteral("GenericName"), suffixes));
        addList(searchNames, entry->value(QStringLiteral("Keywords")));
        addList(searchNames, localizedValue(*entry, QStringLiteral("Keywords"), suffixes));
        addName(searchNames, entry->value(QStringLiteral("Comment")));
        addName(searchNames, localizedValue(*entry, QStringLiteral("Comment"), suffixes));

        m_logger.log(
            QStringLiteral("[Velmora] App: %1 | display=%2 | spotlight=%3 | searchNames=%4")
                .arg(id, displayName,
                     localizedName.isEmpty() ? QStringLiteral("nil") : localizedName,
                     describe(searchNames)));
        found.append(
            AppInfo{id, localizedName.isEmpty() ? displayName : localizedName, path, searchNames});
    }
}

QStringList ApplicationScanner::localeSuffixes(const QString& localeName) {
    QString base = localeName.section(u'.', 0, 0); // drop an encoding such as ".UTF-8"
    const QString modifier = localeName.contains(u'@') ? localeName.section(u'@', 1) : QString();
    base = base.section(u'@', 0, 0);
    const QString language = base.section(u'_', 0, 0);
    if (language.isEmpty() || language == QLatin1String("C") || language == QLatin1String("POSIX"))
        return {};
    QStringList suffixes;
    if (base != language) {
        if (!modifier.isEmpty())
            suffixes.append(base + u'@' + modifier);
        suffixes.append(base);
    }
    if (!modifier.isEmpty())
        suffixes.append(language + u'@' + modifier);
    suffixes.append(language);
    return suffixes;
}

void ApplicationScanner::sortByName(QList<AppInfo>& apps, const QString& localeName) {
    QCollator collator{QLocale(localeName)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(apps.begin(), apps.end(), [&](const AppInfo& a, const AppInfo& b) {
        return collator.compare(a.name, b.name) < 0;
    });
}
