#pragma once

#include "ports/InstalledApplications.h"

#include <QStringList>

class Logger;

// Lists the installed applications a user may choose from: the direct ".desktop" entries of each
// data folder's "applications" folder, in the folders' order. An ID met again in a later folder
// is the same application and the earlier entry stands for it.
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
    void scanFolder(const QString& folder, const QSet<QString>& excluded,
                    const QStringList& suffixes, QSet<QString>& seen, QList<AppInfo>& found) const;

    Logger& m_logger;
    QStringList m_dataDirs;
};
