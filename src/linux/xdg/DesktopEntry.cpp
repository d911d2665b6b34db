#include "xdg/DesktopEntry.h"

#include <QFileInfo>

namespace {

// The string escapes every desktop entry value may hold.
QString unescapeValue(const QString& raw) {
    QString value;
    value.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
            value.append(raw[i]);
            continue;
        }
        const QChar next = raw[++i];
        if (next == QLatin1Char('s'))
            value.append(QLatin1Char(' '));
        else if (next == QLatin1Char('n'))
            value.append(QLatin1Char('\n'));
        else if (next == QLatin1Char('t'))
            value.append(QLatin1Char('\t'));
        else if (next == QLatin1Char('r'))
            value.append(QLatin1Char('\r'));
        else if (next == QLatin1Char('\\'))
            value.append(next);
        else // not a string escape: left for the Exec quoting rules
            value.append(QLatin1Char('\\')).append(next);
    }
    return value;
}

bool isFieldCode(const QString& argument) {
    return argument.size() == 2 && argument[0] == QLatin1Char('%');
}

bool isTrue(const QString& value) {
    return value == QLatin1String("true");
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& contents) {
    DesktopEntry entry;
    bool inMainGroup = false;
    bool sawMainGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        // The first occurrence of a key counts.
        if (!entry.m_values.contains(key))
            entry.m_values.insert(key, unescapeValue(line.mid(equals + 1).trimmed()));
    }
    if (!sawMainGroup)
        return std::nullopt;
    return entry;
}

QStringList DesktopEntry::splitExec(const QString& exec) {
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool inArgument = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < exec.size()) {
            current.append(exec[++i]);
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && c.isSpace()) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else {
            current.append(c);
            inArgument = true;
        }
    }
    if (quoted)
        return {};
    if (inArgument)
        arguments.append(current);
    return arguments;
}

bool DesktopEntry::isApplication() const {
    return value(QStringLiteral("Type")) == QLatin1String("Application");
}

bool DesktopEntry::isHiddenFromUser() const {
    return isTrue(value(QStringLiteral("NoDisplay"))) || isTrue(value(QStringLiteral("Hidden")));
}

QString DesktopEntry::execProgram() const {
    const QStringList words = execProgramAndArguments();
    return words.isEmpty() ? QString() : words.first();
}

QStringList DesktopEntry::execFixedArguments() const {
    QStringList arguments = execProgramAndArguments().mid(1);
    arguments.removeIf(isFieldCode);
    return arguments;
}

QStringList DesktopEntry::execProgramAndArguments() const {
    QStringList words = splitExec(value(QStringLiteral("Exec")));
    if (words.isEmpty() || QFileInfo(words.first()).fileName() != QLatin1String("env"))
        return words;
    words.removeFirst();
    while (!words.isEmpty() && (words.first().contains(QLatin1Char('=')) ||
                                words.first().startsWith(QLatin1Char('-')))) {
        // These options of env take the next word as their value.
        const bool takesValue =
            words.first() == QLatin1String("-u") || words.first() == QLatin1String("-C");
        words.removeFirst();
        if (takesValue && !words.isEmpty())
            words.removeFirst();
    }
    return words;
}
