#pragma once

#include "ports/LoginItems.h"

#include <QStringList>

// Starts the program at login through an XDG autostart entry in the user's configuration folder.
// Turning it off removes that entry, or hides a system-wide entry of the same name behind a user
// entry marked Hidden.
class XdgAutostartLoginItems : public LoginItems {
public:
    static inline const QString entryName = QStringLiteral("com.tarnwick.Velmora.desktop");

    // Empty arguments: the program's own path and the folders named by the XDG variables.
    explicit XdgAutostartLoginItems(QString programPath = {}, QString configHome = {},
                                    QStringList configDirs = {});

    std::optional<QString> registerProgram() override;
    std::optional<QString> unregisterProgram() override;

    QString userEntryPath() const;

private:
    bool hasSystemEntry() const;
    std::optional<QString> writeUserEntry(const QByteArray& contents) const;

    QString m_programPath;
    QString m_configHome;
    QStringList m_configDirs;
};
