#pragma once

#include "ports/InstalledApplications.h"
#include "xdg/DesktopEntryWalk.h"

#include <QStringList>

class Logger;

// Lists the installed applications a user may choose from: the entries DesktopEntryWalk finds
// that are applications shown to the user and have a name.
class ApplicationScanner : public InstalledApplications {
public:
    // `dataDirs` as $XDG_DATA_HOME followed by $XDG_DATA_DIRS.
    ApplicationScanner(Logger& logger, QStringList dataDirs);

    // Name[...] of `localeName` is the localised name.
    QList<AppInfo> scan(const QSet<QString>& excluded, const QString& localeName) const override;

    // The localised key variants to try for a locale, most specific first:
    // lang_COUNTRY@MOD, lang_COUNTRY, lang@MOD, lang.
    static QStringList localeSuffixes(const QString& localeName);
    // Stable, case-insensitive and locale-aware, by name.
    static void sortByName(QList<AppInfo>& apps, const QString& localeName);

private:
    std::optional<AppInfo> appFor(const DesktopEntryWalk::File& file,
                                  const QStringList& suffixes) const;

    Logger& m_logger;
    DesktopEntryWalk m_walk;
};
