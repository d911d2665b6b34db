#include "xdg/ApplicationScanner.h"

#include "model/LogName.h"
#include "ports/Logger.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace {

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

// The names a search matches: `names` first, then the generic names and the keywords.
QStringList searchNamesOf(const DesktopEntry& entry, const QStringList& names,
                          const QStringList& suffixes) {
    QStringList searchNames;
    for (const QString& name : names)
        addName(searchNames, name);
    addName(searchNames, entry.value(QStringLiteral("GenericName")));
    addName(searchNames, localizedValue(entry, QStringLiteral("GenericName"), suffixes));
    addList(searchNames, entry.value(QStringLiteral("Keywords")));
    addList(searchNames, localizedValue(entry, QStringLiteral("Keywords"), suffixes));
    addName(searchNames, entry.value(QStringLiteral("Comment")));
    addName(searchNames, localizedValue(entry, QStringLiteral("Comment"), suffixes));
    return searchNames;
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
    , m_walk(std::move(dataDirs)) {}

QList<AppInfo> ApplicationScanner::scan(const QSet<QString>& excluded,
                                        const QString& localeName) const {
    const QStringList suffixes = localeSuffixes(localeName);
    QList<AppInfo> found;
    for (const DesktopEntryWalk::File& file : m_walk.files()) {
        if (excluded.contains(file.id))
            continue;
        if (std::optional<AppInfo> app = appFor(file, suffixes))
            found.append(std::move(*app));
    }
    sortByName(found, localeName);
    return found;
}

std::optional<AppInfo> ApplicationScanner::appFor(const DesktopEntryWalk::File& file,
                                                  const QStringList& suffixes) const {
    const std::optional<DesktopEntry> entry = DesktopEntryWalk::read(file.path);
    if (!entry || !entry->isApplication() || entry->isHiddenFromUser())
        return std::nullopt;
    const QString displayName = entry->value(QStringLiteral("Name"));
    if (displayName.isEmpty())
        return std::nullopt;
    const QString localizedName = localizedValue(*entry, QStringLiteral("Name"), suffixes);

    const QStringList searchNames =
        searchNamesOf(*entry, {file.id, displayName, localizedName}, suffixes);
    m_logger.log(QStringLiteral("[Velmora] App: %1 | display=%2 | spotlight=%3 | searchNames=%4")
                     .arg(logName(file.id), logName(displayName),
                          localizedName.isEmpty() ? QStringLiteral("nil") : logName(localizedName),
                          logName(describe(searchNames))));
    return AppInfo{file.id, localizedName.isEmpty() ? displayName : localizedName, file.path,
                   searchNames};
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
