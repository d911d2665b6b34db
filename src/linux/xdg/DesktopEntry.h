#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// The main group of a desktop entry file, as far as telling its program apart is concerned.
class DesktopEntry {
public:
    // nullopt when the text has no "Desktop Entry" group.
    static std::optional<DesktopEntry> parse(const QByteArray& contents);
    // The unquoted arguments of an Exec value; an unbalanced quote yields no arguments at all.
    static QStringList splitExec(const QString& exec);

    QString value(const QString& key) const { return m_values.value(key); }
    bool isApplication() const;
    // Not meant to be shown to the user (NoDisplay or Hidden).
    bool isHiddenFromUser() const;
    // The program of the Exec line, skipping an "env VAR=value" prefix; empty when there is none.
    QString execProgram() const;
    // The Exec line's own arguments after the program, without field codes such as %f.
    QStringList execFixedArguments() const;

private:
    QStringList execProgramAndArguments() const;

    QHash<QString, QString> m_values;
};
