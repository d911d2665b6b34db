#include "xdg/KdeGlobalShortcuts.h"

#include <QFile>
#include <QKeySequence>
#include <QStandardPaths>

namespace {

// The first element of a saved list: elements are separated by unescaped commas, and the
// configuration file escapes tabs and backslashes.
QString activePart(QStringView value) {
    QString part;
    for (qsizetype index = 0; index < value.size(); ++index) {
        const QChar character = value[index];
        if (character == u',')
            break;
        if (character != u'\\' || index + 1 == value.size()) {
            part += character;
            continue;
        }
        const QChar escaped = value[++index];
        part += escaped == u't' ? QChar(u'\t') : escaped;
    }
    return part;
}

void appendShortcuts(QStringView value, QList<KeyCombo>& combos) {
    const QStringList shortcuts = activePart(value).split(u'\t', Qt::SkipEmptyParts);
    for (const QString& shortcut : shortcuts) {
        if (shortcut == u"none")
            continue;
        const QKeySequence sequence =
            QKeySequence::fromString(shortcut, QKeySequence::PortableText);
        const auto combo =
            sequence.isEmpty() ? std::nullopt : KeyCombo::fromKeyCombination(sequence[0]);
        if (combo)
            combos.append(*combo);
    }
}

} // namespace

QString KdeGlobalShortcuts::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kglobalshortcutsrc");
}

QList<KeyCombo> KdeGlobalShortcuts::read(const QString& filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

QList<KeyCombo> KdeGlobalShortcuts::parse(const QByteArray& text) {
    QList<KeyCombo> combos;
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    for (const QString& line : lines) {
        const QStringView entry = QStringView(line).trimmed();
        const qsizetype equals = entry.indexOf(u'=');
        if (entry.startsWith(u'[') || entry.startsWith(u'#') || equals <= 0)
            continue;
        // The component's display name, not a shortcut.
        if (entry.first(equals).trimmed() == u"_k_friendly_name")
            continue;
        appendShortcuts(entry.sliced(equals + 1), combos);
    }
    return combos;
}
