#include "services/StringsTable.h"
#include "services/StringFormat.h"

#include <QtTest>

class StringsTableTest : public QObject {
    Q_OBJECT

private slots:
    void readsEntriesCommentsAndEscapes() {
        const StringsTable table = StringsTable::parse(QStringLiteral(
            "/* A block comment\n   over two lines with \"quotes\"; */\n"
            "// a line comment \"x\" = \"y\";\n"
            "\"Quit Velmora\" = \"退出 Velmora\";\n"
            "\"two\\nlines\"=\"a \\\"quoted\\\" \\\\ word\\tand\\U00e9\";  // trailing\n"
            "  \"%lld sec\"   =   \"%lld 秒\" ;"));
        QVERIFY2(table.errors().isEmpty(), qPrintable(table.errors().join(u'\n')));
        QCOMPARE(table.size(), 3);
        QCOMPARE(table.value(QStringLiteral("Quit Velmora")), QStringLiteral("退出 Velmora"));
        QCOMPARE(table.value(QStringLiteral("two\nlines")),
                 QStringLiteral("a \"quoted\" \\ word\tand\u00e9"));
        QCOMPARE(table.value(QStringLiteral("%lld sec")), QStringLiteral("%lld 秒"));
        QCOMPARE(table.value(QStringLiteral("x")), std::nullopt);
    }

    void skipsDamagedEntriesAndKeepsTheRest() {
        const StringsTable table = StringsTable::parse(
            QStringLiteral("\"a\" = \"1\";\n"
                           "\"b\" \"2\";\n"  // no equals sign
                           "\"c\" = \"3\"\n" // no semicolon: swallows the next entry
                           "\"d\" = \"4\";\n"
                           "e = \"5\";\n" // unquoted key
                           "\"f\" = \"semi;colon\";\n"
                           "\"g\" = \"never closed;\n"));
        QCOMPARE(table.value(QStringLiteral("a")), QStringLiteral("1"));
        QCOMPARE(table.value(QStringLiteral("f")), QStringLiteral("semi;colon"));
        for (const char* key : {"b", "c", "d", "e", "g"})
            QCOMPARE(table.value(QString::fromLatin1(key)), std::nullopt);
        QCOMPARE(table.errors().size(), 4);
        QVERIFY(table.errors().first().startsWith(QStringLiteral("line 2:")));
        QVERIFY(table.errors().at(2).startsWith(QStringLiteral("line 5:")));

        QCOMPARE(StringsTable::parse(QStringLiteral("\"a\" = \"1\"; /* open")).errors().size(), 1);
    }

    void fillsPlaceholdersInOrderOrByPosition() {
        QCOMPARE(StringFormat::format(QStringLiteral("%lld protected apps"), {3}),
                 QStringLiteral("3 protected apps"));
        QCOMPARE(StringFormat::format(QStringLiteral("%@ needs %@"),
                                      {QStringLiteral("Editor"), QStringLiteral("Backup")}),
                 QStringLiteral("Editor needs Backup"));
        // A translation may put the arguments the other way round.
        QCOMPARE(StringFormat::format(QStringLiteral("%2$@ ← %1$@"),
                                      {QStringLiteral("Editor"), QStringLiteral("Backup")}),
                 QStringLiteral("Backup ← Editor"));
        QCOMPARE(StringFormat::format(QStringLiteral("100%% of %d"), {7}),
                 QStringLiteral("100% of 7"));
        // Missing arguments leave the placeholder visible rather than inventing text.
        QCOMPARE(StringFormat::format(QStringLiteral("%@ and %@"), {QStringLiteral("one")}),
                 QStringLiteral("one and %@"));
        // An argument that is itself a placeholder is not expanded again.
        QCOMPARE(StringFormat::format(QStringLiteral("Velmora %@"), {QStringLiteral("%d")}),
                 QStringLiteral("Velmora %d"));
    }
};

QTEST_MAIN(StringsTableTest)
#include "StringsTableTest.moc"
