#include "hotkey/KeyCombo.h"
#include "hotkey/ModifierFlags.h"
#include "xdg/KdeGlobalShortcuts.h"

#include <QSet>
#include <QtTest>

namespace {

const Qt::KeyboardModifiers allFour =
    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier;

} // namespace

class KeyComboTest : public QObject {
    Q_OBJECT

private slots:
    void panicCombinationHasItsStoredCodesAndGlyphs() {
        const KeyCombo combo(Key::u, allFour);
        QCOMPARE(combo.carbonKeyCode, 32u);
        QCOMPARE(combo.carbonModifiers, 0x1B00u);
        QCOMPARE(combo.modifiers(), allFour);
        QCOMPARE(combo.key(), std::optional<Key>(Key::u));
        QCOMPARE(combo.description(), QStringLiteral("⌃⌥⇧⌘U"));
    }

    void flagsWithoutACarbonBitAreDropped() {
        // Qt's counterparts of the numeric-pad and function (mode switch) flags; Qt has no
        // caps-lock modifier.
        const Qt::KeyboardModifiers extras = Qt::KeypadModifier | Qt::GroupSwitchModifier;
        QCOMPARE(ModifierFlags::carbonFlags(Qt::ControlModifier | extras), ModifierFlags::command);
        // Carbon's caps-lock (0x400) and right-hand bits (0x2000…) read as nothing.
        QCOMPARE(ModifierFlags::fromCarbonFlags(0x1B00 | 0x400 | 0x2000 | 0x4000), allFour);
        QCOMPARE(ModifierFlags::description(Qt::ControlModifier | Qt::ShiftModifier),
                 QStringLiteral("⇧⌘"));
    }

    void parsesNamesInAnyCaseAndByGlyph() {
        for (const char* name : {"rightbracket", "RightBracket", "rIgHtBrAcKeT", "]"})
            QCOMPARE(keyFromString(QString::fromUtf8(name)), std::optional<Key>(Key::rightBracket));
        QCOMPARE(keyFromString(QStringLiteral("F5")), std::optional<Key>(Key::f5));
        QCOMPARE(keyFromString(QStringLiteral("f5")), std::optional<Key>(Key::f5));
        QCOMPARE(keyFromString(keyDescription(Key::f5)), std::optional<Key>(Key::f5));
        QCOMPARE(keyFromString(keyDescription(Key::f15)), std::optional<Key>(Key::f15));
        // Shared glyphs belong to the main key.
        QCOMPARE(keyFromString(QStringLiteral(".")), std::optional<Key>(Key::period));
        QCOMPARE(keyFromString(QStringLiteral("/")), std::optional<Key>(Key::slash));
        QCOMPARE(keyFromString(keyDescription(Key::keypadEnter)), std::optional<Key>(Key::return_));
        QCOMPARE(keyFromString(QStringLiteral("⌘")), std::optional<Key>(Key::command));
        QCOMPARE(keyFromString(QStringLiteral("｀")), std::optional<Key>(Key::grave));
        QCOMPARE(keyFromString(QStringLiteral("\r")), std::optional<Key>(Key::return_));
        QCOMPARE(keyFromString(QStringLiteral("KEYPAD1")), std::optional<Key>(Key::keypad1));
        QCOMPARE(keyFromString(QStringLiteral("nothing")), std::nullopt);
        QCOMPARE(keyFromString(QString()), std::nullopt);
    }

    void theDigitOneIsNeverKeypadOne() {
        QCOMPARE(keyFromString(QStringLiteral("1")), std::optional<Key>(Key::one));
        QCOMPARE(keyFromString(QStringLiteral("One")), std::optional<Key>(Key::one));
    }

    void everyKeyHasItsOwnCodeAndUnusedCodesGiveNoKey() {
        QCOMPARE(allKeys().size(), 114);
        QSet<quint32> codes;
        for (Key key : allKeys()) {
            const quint32 code = carbonKeyCode(key);
            QVERIFY(code <= 126);
            codes.insert(code);
            QCOMPARE(keyFromCarbonKeyCode(code), std::optional<Key>(key));
        }
        QCOMPARE(codes.size(), 114);
        for (quint32 code : {52, 66, 68, 70, 77, 93, 94, 95, 102, 104, 108, 110, 112, 127, 500})
            QCOMPARE(keyFromCarbonKeyCode(code), std::nullopt);
        QCOMPARE(KeyCombo(52, ModifierFlags::command).description(), QStringLiteral("⌘"));
    }

    void keySetToNoneReadsBackAsA() {
        KeyCombo combo(Key::q, Qt::ControlModifier);
        combo.setKey(std::nullopt);
        QCOMPARE(combo.carbonKeyCode, 0u);
        QCOMPARE(combo.key(), std::optional<Key>(Key::a));
    }

    void dictionaryRoundTripsAndRejectsWrongEntries() {
        const KeyCombo combo(Key::f12, Qt::AltModifier | Qt::ShiftModifier);
        const QVariantMap dictionary = combo.dictionary();
        QCOMPARE(dictionary.size(), 2);
        QCOMPARE(dictionary.value(QStringLiteral("keyCode")), QVariant(qlonglong(111)));
        QCOMPARE(dictionary.value(QStringLiteral("modifiers")), QVariant(qlonglong(0xA00)));
        QCOMPARE(KeyCombo::fromDictionary(dictionary), std::optional<KeyCombo>(combo));

        const QVariantMap fromJson{{QStringLiteral("keyCode"), 12},
                                   {QStringLiteral("modifiers"), 256u}};
        QCOMPARE(KeyCombo::fromDictionary(fromJson), std::optional<KeyCombo>(KeyCombo(12, 0x100)));
        const QList<QVariantMap> broken{
            {{QStringLiteral("keyCode"), 12}},
            {{QStringLiteral("keyCode"), QStringLiteral("12")}, {QStringLiteral("modifiers"), 0}},
            {{QStringLiteral("keyCode"), 12.5}, {QStringLiteral("modifiers"), 0}},
            {{QStringLiteral("keyCode"), -1}, {QStringLiteral("modifiers"), 0}},
            {{QStringLiteral("keyCode"), 12}, {QStringLiteral("modifiers"), Q_INT64_C(1) << 32}},
            {{QStringLiteral("keyCode"), Q_UINT64_C(1) << 40}, {QStringLiteral("modifiers"), 0}},
        };
        for (const QVariantMap& entry : broken)
            QCOMPARE(KeyCombo::fromDictionary(entry), std::nullopt);
    }

    void standardCombinationsKeepTheirOrder() {
        const QList<KeyCombo> combos = KeyCombo::standardKeyCombos();
        QCOMPARE(combos.size(), 46);
        QCOMPARE(combos.first(), KeyCombo(43, 0x100));
        QCOMPARE(combos.at(17).description(), QStringLiteral("⌥⇧⌘V"));
        QCOMPARE(combos.at(39).description(), QStringLiteral("⌃⌘C"));
        QCOMPARE(combos.last(), KeyCombo(44, 0x300));
    }

    void menuShortcutsAreCollectedDepthFirst() {
        const std::vector<MenuShortcut> menu{
            {QKeySequence(QStringLiteral("Ctrl+Q"))[0], {}},
            {QKeyCombination(),
             {{QKeySequence(QStringLiteral("Ctrl+Shift+S"))[0], {}},
              // Print is no key of ours: skipped, but its submenu still counts.
              {QKeySequence(QStringLiteral("Ctrl+Print"))[0],
               {{QKeySequence(QStringLiteral("Meta+F5"))[0], {}}}}}},
            {QKeySequence(QStringLiteral("Ctrl+,"))[0], {}},
        };
        const QList<KeyCombo> expected{KeyCombo(12, 0x100), KeyCombo(1, 0x300),
                                       KeyCombo(96, 0x1000), KeyCombo(43, 0x100)};
        QCOMPARE(KeyCombo::keyCombos(menu), expected);
    }

    void readsTheActiveKdeShortcuts() {
        const QByteArray text = "[kwin]\n"
                                "_k_friendly_name=KWin\n"
                                "Window Close=Alt+F4\\tCtrl+Alt+Esc,Alt+F4,Close Window\n"
                                "Expose=none,Ctrl+F9,Toggle Present Windows\n"
                                "Show Desktop=,Meta+D,Peek at Desktop\n"
                                "\n"
                                "[plasmashell]\n"
                                "activate task manager entry 1=Meta+1,Meta+1,Activate Entry 1\n"
                                "zoom=Meta+\\,,none,Zoom\n"
                                "screenshot=Print,Print,Take Screenshot\n"
                                "broken line without equals\n";
        const QList<KeyCombo> expected{
            KeyCombo(Key::f4, Qt::AltModifier),
            KeyCombo(Key::escape, Qt::ControlModifier | Qt::AltModifier),
            KeyCombo(Key::one, Qt::MetaModifier),
            KeyCombo(Key::comma, Qt::MetaModifier),
        };
        QCOMPARE(KdeGlobalShortcuts::parse(text), expected);
        QCOMPARE(KdeGlobalShortcuts::read(QStringLiteral("/nonexistent/kglobalshortcutsrc")),
                 QList<KeyCombo>());
    }
};

QTEST_GUILESS_MAIN(KeyComboTest)
#include "KeyComboTest.moc"
