#pragma once

#include "xdg/DesktopEntry.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <optional>

// The desktop entries of each data folder's "applications" folder, in the folders' order: the
// direct ".desktop" files, by name. An ID met again in a later folder is the same application,
// so the first file stands for it, even when it hides the application.
class DesktopEntryWalk {
public:
    struct File {
        QString id;
        QString path;
    };

    // `dataDirs` as $XDG_DATA_HOME followed by $XDG_DATA_DIRS.
    explicit DesktopEntryWalk(QStringList dataDirs);

    static QString applicationsFolder(const QString& dataDir);
    const QStringList& dataDirs() const { return m_dataDirs; }
    // A missing or unreadable folder, and a file nobody may read, list nothing.
    QList<File> files() const;
    // None when the file cannot be read, is too large for a hand-written entry, or is no entry.
    static std::optional<DesktopEntry> read(const QString& path);

private:
    static void addFolder(const QString& folder, QSet<QString>& seen, QList<File>& found);

    QStringList m_dataDirs;
};
