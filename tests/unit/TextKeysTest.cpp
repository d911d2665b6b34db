#include "services/LanguageManager.h"
#include "services/StringsTable.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QStringList tableCodes{QStringLiteral("en"), QStringLiteral("zh-Hans"), QStringLiteral("ja"),
                             QStringLiteral("ko")};

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

StringsTable table(const QString& code) {
    return StringsTable::parse(readFile(LanguageManager::defaultTablesDirectory() + u'/' + code +
                                        QStringLiteral(".lproj/Localizable.strings")));
}

QString unescape(const QString& literal) {
    QString result;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        QChar c = literal.at(i);
        if (c == u'\\' && i + 1 < literal.size()) {
            c = literal.at(++i);
            if (c == u'n')
                c = u'\n';
        }
        result.append(c);
    }
    return result;
}

// The keys a source file looks up: Texts.t("…") and kit titles in QML, text("…") and
// localized("…") in C++, with or without QStringLiteral; adjacent C++ literals are one key.
QStringList usedKeys(const QString& source, bool isQml) {
    static const QString literal = QString::fromUtf8("\"(?:[^\"\\\\]|\\\\.)*\"");
    static const QString literals =
        u'(' + literal + QStringLiteral("(?:\\s*") + literal + QStringLiteral(")*)");
    static const QRegularExpression qml(
        QString::fromUtf8("(?:\\bTexts\\.(?:t|plural)\\(\\s*|\\btitle\\s*:\\s*)(") + literal +
        u')');
    static const QRegularExpression cpp(
        QString::fromUtf8("\\b(?:localized|text|plural)\\(\\s*(?:QStringLiteral\\(\\s*)?u?") +
        literals);
    static const QRegularExpression piece(literal);
    QStringList keys;
    auto it = (isQml ? qml : cpp).globalMatch(source);
    while (it.hasNext()) {
        QString key;
        auto pieces = piece.globalMatch(it.next().captured(1));
        while (pieces.hasNext())
            key += unescape(pieces.next().captured(0).chopped(1).mid(1));
        keys.append(key);
    }
    return keys;
}

// The conversions of a text, sorted, so reordered translations compare equal.
QStringList placeholders(const QString& text) {
    static const QRegularExpression placeholder(
        QString::fromUtf8("%(?:[1-9][0-9]*\\$)?(@|d|i|u|ld|lld|lu|llu)"));
    QStringList found;
    auto it = placeholder.globalMatch(text);
    while (it.hasNext())
        found.append(it.next().captured(1));
    found.sort();
    return found;
}

} // namespace

class TextKeysTest : public QObject {
    Q_OBJECT

private slots:
    void findsKeysTheWayViewsAndCodeWriteThem() {
        const QString qml = QStringLiteral("Text { text: Texts.t(\"%lld sec\", [5]) }\n"
                                           "PrimaryButton { title: \"Add App\"; icon: \"plus\" }\n"
                                           "Text { text: Texts.t( \"two\\nlines\") }\n");
        QCOMPARE(usedKeys(qml, true),
                 (QStringList{QStringLiteral("%lld sec"), QStringLiteral("Add App"),
                              QStringLiteral("two\nlines")}));
        const QString cpp = QStringLiteral(
            "item.setTitle(language.localized(QStringLiteral(\"Quit Velmora\")));\n"
            "m_language.text(QStringLiteral(\"Version %@ is ready to install.\"), {version});\n"
            "label->text(); setText(\"not a key\");\n"
            "m_language.localized(QStringLiteral(\"One \"\n  \"text\"));\n");
        QCOMPARE(usedKeys(cpp, false),
                 (QStringList{QStringLiteral("Quit Velmora"),
                              QStringLiteral("Version %@ is ready to install."),
                              QStringLiteral("One text")}));
    }

    void everyTableIsCompleteAndReadsCleanly() {
        const StringsTable english = table(QStringLiteral("en"));
        QVERIFY(english.size() > 50);
        QStringList englishKeys = english.keys();
        englishKeys.sort();
        for (const QString& code : tableCodes) {
            const StringsTable translation = table(code);
            QVERIFY2(translation.errors().isEmpty(), qPrintable(translation.errors().join(u'\n')));
            QStringList keys = translation.keys();
            keys.sort();
            QCOMPARE(keys, englishKeys);
            // A translation fills the same placeholders as its key, in any order.
            for (const QString& key : keys)
                QVERIFY2(placeholders(*translation.value(key)) == placeholders(key),
                         qPrintable(code + QStringLiteral(": ") + key));
        }
    }

    // A new visible text without a translation fails here.
    void everyKeyUsedInTheSourcesIsInEveryTable() {
        QList<StringsTable> tables;
        for (const QString& code : tableCodes)
            tables.append(table(code));
        QStringList missing;
        QDirIterator files(
            QStringLiteral(VELMORA_SOURCE_DIR "/src"),
            {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.qml")}, QDir::Files,
            QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            const bool isQml = path.endsWith(QStringLiteral(".qml"));
            for (const QString& key : usedKeys(readFile(path), isQml)) {
                for (qsizetype i = 0; i < tables.size(); ++i) {
                    if (!tables.at(i).value(key))
                        missing.append(tableCodes.at(i) + QStringLiteral(": \"") + key +
                                       QStringLiteral("\" (") + path + u')');
                }
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'\n')));
    }
};

QTEST_MAIN(TextKeysTest)
#include "TextKeysTest.moc"
