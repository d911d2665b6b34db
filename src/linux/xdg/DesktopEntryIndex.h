#pragma once

#include "xdg/DesktopEntryWalk.h"
#include "xdg/FolderChangeWatcher.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <optional>

// Which installed application runs which program. Built on first use and rebuilt after an
// applications folder or an entry in it changed; an ID found again in a later data folder is the
// same application, so the first one wins (see DesktopEntryWalk).
class DesktopEntryIndex : public QObject {
    Q_OBJECT

public:
    explicit DesktopEntryIndex(QStringList dataDirs = defaultDataDirs(), QObject* parent = nullptr);

    // $XDG_DATA_HOME, then each of $XDG_DATA_DIRS, with the usual defaults.
    static QStringList defaultDataDirs();
    // The desktop-file ID of a desktop file: its path below an applications folder with "/"
    // turned into "-", or its file name when it lies elsewhere; without ".desktop".
    QString idForFile(const QString& path) const;
    bool contains(const QString& id);
    // The first application whose program is this executable and whose own Exec arguments all
    // appear among the process's arguments (so "flatpak run A" is not taken for B).
    std::optional<QString> idForProgram(const QString& executable, const QStringList& arguments);
    // The application a window's app_id (or X11 window class) names: "<app_id>.desktop", else the
    // first entry whose StartupWMClass is it, else the first whose program has it as file name.
    std::optional<QString> idForWindowClass(const QString& appId);
    bool runsProgram(const QString& id, const QString& executable);
    // The files executed when the application starts: its programs and, when its Exec runs a
    // script through an interpreter, that script.
    QStringList launchFiles(const QString& id);
    // A program as a canonical path, looked up in PATH when it has no folder; empty when missing.
    static QString canonicalProgram(const QString& program);
    // The same, remembered until the index is rebuilt: processes name the same few programs.
    QString rememberedCanonicalProgram(const QString& program);

signals:
    // An applications folder changed; the next question rebuilds the index.
    void changed();

private:
    struct Candidate {
        QString id;
        QStringList fixedArguments;
    };

    void rebuildIfStale();
    void addEntry(const QString& id, const QString& path);
    void watchFolders();

    DesktopEntryWalk m_walk;
    FolderChangeWatcher m_watcher;
    bool m_stale = true;
    QHash<QString, QStringList> m_programsById;
    QHash<QString, QString> m_scriptsById;
    QHash<QString, QList<Candidate>> m_candidatesByProgram;
    QHash<QString, QString> m_canonicalPrograms;
    QHash<QString, QString> m_idsByWindowClass;
    QHash<QString, QString> m_idsByProgramName;
};
