#include "xdg/XdgAutostartLoginItems.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString configHomeFromEnvironment() {
    const QString value = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QStringLiteral("/.config");
}

QStringList configDirsFromEnvironment() {
    QStringList dirs;
    const QString value = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString& dir : value.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            dirs.append(dir);
    }
    return dirs.isEmpty() ? QStringList{QStringLiteral("/etc/xdg")} : dirs;
}

// An Exec argument quoted as desktop entries require: inside double quotes, the characters `"`,
// backquote, `$` and `\` are escaped with a backslash; then `\` and `%` are escaped once more for
// the string value and the field codes.
QString quotedExecArgument(const QString& argument) {
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted.append(u'\\');
        quoted.append(c);
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

// A string value: backslashes and control characters escaped, a leading space kept.
QString escapedString(const QString& value) {
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'\n', QStringLiteral("\\n"));
    escaped.replace(u'\t', QStringLiteral("\\t"));
    escaped.replace(u'\r', QStringLiteral("\\r"));
    if (escaped.startsWith(u' '))
        escaped.replace(0, 1, QStringLiteral("\\s"));
    return escaped;
}

// TryExec lets the session skip the entry quietly once the program has been uninstalled.
QByteArray entryContents(const QString& programPath) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Velmora\n"
                          "TryExec=%1\n"
                          "Exec=%2\n"
                          "Icon=com.tarnwick.Velmora\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(escapedString(programPath), quotedExecArgument(programPath))
        .toUtf8();
}

const QByteArray hiddenContents("[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=Velmora\n"
                                "Hidden=true\n");

} // namespace

XdgAutostartLoginItems::XdgAutostartLoginItems(QString programPath, QString configHome,
                                               QStringList configDirs)
    : m_programPath(programPath.isEmpty() ? QCoreApplication::applicationFilePath()
                                          : std::move(programPath))
    , m_configHome(configHome.isEmpty() ? configHomeFromEnvironment() : std::move(configHome))
    , m_configDirs(configDirs.isEmpty() ? configDirsFromEnvironment() : std::move(configDirs)) {}

QString XdgAutostartLoginItems::userEntryPath() const {
    return m_configHome + QStringLiteral("/autostart/") + entryName;
}

std::optional<QString> XdgAutostartLoginItems::registerProgram() {
    return writeUserEntry(entryContents(QFileInfo(m_programPath).absoluteFilePath()));
}

std::optional<QString> XdgAutostartLoginItems::unregisterProgram() {
    if (hasSystemEntry())
        return writeUserEntry(hiddenContents);
    QFile entry(userEntryPath());
    if (!entry.exists() || entry.remove())
        return std::nullopt;
    return QStringLiteral("Could not remove %1: %2").arg(entry.fileName(), entry.errorString());
}

bool XdgAutostartLoginItems::hasSystemEntry() const {
    for (const QString& dir : m_configDirs) {
        if (QFileInfo::exists(dir + QStringLiteral("/autostart/") + entryName))
            return true;
    }
    return false;
}

// Written whole or not at all, so a crash never leaves half an entry behind.
std::optional<QString> XdgAutostartLoginItems::writeUserEntry(const QByteArray& contents) const {
    const QString path = userEntryPath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("Could not create the folder %1").arg(folder);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Could not write %1: %2").arg(path, file.errorString());
    file.write(contents);
    if (!file.commit())
        return QStringLiteral("Could not write %1: %2").arg(path, file.errorString());
    return std::nullopt;
}
