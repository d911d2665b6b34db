#include "hotkey/Key.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr int keyCount = static_cast<int>(Key::mute) + 1;
constexpr quint32 highestCode = 126;

struct KeyFacts {
    quint32 code = 0;
    QString description;
    // Lower-cased, in the order they are tried.
    QStringList forms;
};

class KeyTable {
public:
    KeyTable() {
        addLetters();
        addDigits();
        addPunctuation();
        addModifiers();
        addNavigation();
        addFunctionKeys();
        addKeypad();
        addSpecial();
        for (int index = 0; index < keyCount; ++index) {
            m_keys.append(static_cast<Key>(index));
            m_byCode[m_facts[index].code] = static_cast<Key>(index);
        }
    }

    const KeyFacts& facts(Key key) const { return m_facts[static_cast<int>(key)]; }
    const QList<Key>& keys() const { return m_keys; }
    std::optional<Key> byCode(quint32 code) const {
        return code <= highestCode ? m_byCode[code] : std::nullopt;
    }

private:
    void add(Key key, quint32 code, const QString& description, QStringList forms) {
        for (QString& form : forms)
            form = form.toLower();
        m_facts[static_cast<int>(key)] = KeyFacts{code, description, std::move(forms)};
    }
    void addWithGlyph(Key key, quint32 code, const QString& name, const QString& glyph) {
        add(key, code, glyph, {name, glyph});
    }

    void addLetters() {
        static constexpr std::array<quint32, 26> codes{0,  11, 8,  2,  14, 3,  5,  4,  34,
                                                       38, 40, 37, 46, 45, 31, 35, 12, 15,
                                                       1,  17, 32, 9,  13, 7,  16, 6};
        for (int index = 0; index < 26; ++index) {
            const QString letter(QChar(u'a' + index));
            add(static_cast<Key>(static_cast<int>(Key::a) + index), codes[index], letter.toUpper(),
                {letter});
        }
    }

    void addDigits() {
        static constexpr std::array<quint32, 10> codes{29, 18, 19, 20, 21, 23, 22, 26, 28, 25};
        static const QStringList words{u"zero"_s, u"one"_s, u"two"_s,   u"three"_s, u"four"_s,
                                       u"five"_s, u"six"_s, u"seven"_s, u"eight"_s, u"nine"_s};
        for (int index = 0; index < 10; ++index) {
            const QString digit = QString::number(index);
            add(static_cast<Key>(static_cast<int>(Key::zero) + index), codes[index], digit,
                {words[index], digit});
        }
    }

    void addPunctuation() {
        addWithGlyph(Key::period, 47, u"period"_s, u"."_s);
        addWithGlyph(Key::quote, 39, u"quote"_s, u"\""_s);
        addWithGlyph(Key::rightBracket, 30, u"rightBracket"_s, u"]"_s);
        addWithGlyph(Key::semicolon, 41, u"semicolon"_s, u";"_s);
        addWithGlyph(Key::slash, 44, u"slash"_s, u"/"_s);
        addWithGlyph(Key::backslash, 42, u"backslash"_s, u"\\"_s);
        addWithGlyph(Key::comma, 43, u"comma"_s, u","_s);
        addWithGlyph(Key::equal, 24, u"equal"_s, u"="_s);
        add(Key::grave, 50, u"`"_s, {u"grave"_s, u"`"_s, u"\u02CB"_s, u"\uFF40"_s});
        addWithGlyph(Key::leftBracket, 33, u"leftBracket"_s, u"["_s);
        addWithGlyph(Key::minus, 27, u"minus"_s, u"-"_s);
        addWithGlyph(Key::section, 10, u"section"_s, u"§"_s);
        add(Key::space, 49, u"␣"_s, {u"space"_s, u" "_s, u"␣"_s});
        add(Key::tab, 48, u"⇥"_s, {u"tab"_s, u"\t"_s, u"⇥"_s});
        add(Key::return_, 36, returnGlyph(),
            {u"return"_s, u"\r"_s, returnGlyph(), u"⏎"_s, u"⮐"_s});
    }

    void addModifiers() {
        add(Key::command, 55, u"⌘"_s, {u"command"_s, u"⌘"_s, u"\uF8FF"_s});
        add(Key::rightCommand, 54, u"⌘"_s, {u"rightCommand"_s});
        addWithGlyph(Key::option, 58, u"option"_s, u"⌥"_s);
        add(Key::rightOption, 61, u"⌥"_s, {u"rightOption"_s});
        addWithGlyph(Key::control, 59, u"control"_s, u"⌃"_s);
        add(Key::rightControl, 62, u"⌃"_s, {u"rightControl"_s});
        addWithGlyph(Key::shift, 56, u"shift"_s, u"⇧"_s);
        add(Key::rightShift, 60, u"⇧"_s, {u"rightShift"_s});
        add(Key::function, 63, u"fn"_s, {u"function"_s, u"fn"_s});
        addWithGlyph(Key::capsLock, 57, u"capsLock"_s, u"⇪"_s);
    }

    void addNavigation() {
        addWithGlyph(Key::pageUp, 116, u"pageUp"_s, u"⇞"_s);
        addWithGlyph(Key::pageDown, 121, u"pageDown"_s, u"⇟"_s);
        addWithGlyph(Key::home, 115, u"home"_s, u"↖"_s);
        addWithGlyph(Key::end, 119, u"end"_s, u"↘"_s);
        addWithGlyph(Key::upArrow, 126, u"upArrow"_s, u"↑"_s);
        addWithGlyph(Key::rightArrow, 124, u"rightArrow"_s, u"→"_s);
        addWithGlyph(Key::downArrow, 125, u"downArrow"_s, u"↓"_s);
        addWithGlyph(Key::leftArrow, 123, u"leftArrow"_s, u"←"_s);
    }

    void addFunctionKeys() {
        static constexpr std::array<quint32, 20> codes{122, 120, 99,  118, 96,  97,  98,
                                                       100, 101, 109, 103, 111, 105, 107,
                                                       113, 106, 64,  79,  80,  90};
        for (int index = 0; index < 20; ++index) {
            const int number = index + 1;
            const QString name = QStringLiteral("F%1").arg(number);
            // The private-use prefix differs for one- and two-digit numbers.
            const QString description = QString(QChar(number < 10 ? 0xF860 : 0xF861)) + name;
            add(static_cast<Key>(static_cast<int>(Key::f1) + index), codes[index], description,
                {name, description});
        }
    }

    void addKeypad() {
        static constexpr std::array<quint32, 10> codes{82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
        for (int index = 0; index < 10; ++index) {
            add(static_cast<Key>(static_cast<int>(Key::keypad0) + index), codes[index],
                QString::number(index), {QStringLiteral("keypad%1").arg(index)});
        }
        addWithGlyph(Key::keypadClear, 71, u"keypadClear"_s, u"⌧"_s);
        add(Key::keypadDecimal, 65, u"."_s, {u"keypadDecimal"_s});
        add(Key::keypadDivide, 75, u"/"_s, {u"keypadDivide"_s});
        add(Key::keypadEnter, 76, returnGlyph(), {u"keypadEnter"_s});
        add(Key::keypadEquals, 81, u"="_s, {u"keypadEquals"_s});
        add(Key::keypadMinus, 78, u"-"_s, {u"keypadMinus"_s});
        add(Key::keypadMultiply, 67, u"\U0001D5D1"_s, {u"keypadMultiply"_s});
        add(Key::keypadPlus, 69, u"+"_s, {u"keypadPlus"_s});
    }

    void addSpecial() {
        addWithGlyph(Key::escape, 53, u"escape"_s, u"⎋"_s);
        addWithGlyph(Key::delete_, 51, u"delete"_s, u"⌫"_s);
        addWithGlyph(Key::forwardDelete, 117, u"forwardDelete"_s, u"⌦"_s);
        addWithGlyph(Key::help, 114, u"help"_s, u"?\u20DD"_s);
        addWithGlyph(Key::volumeUp, 72, u"volumeUp"_s, u"🔊"_s);
        addWithGlyph(Key::volumeDown, 73, u"volumeDown"_s, u"🔉"_s);
        addWithGlyph(Key::mute, 74, u"mute"_s, u"🔇"_s);
    }

    // The arrow with the text-style variation selector, so it never renders as an emoji.
    static QString returnGlyph() { return u"\u21A9\uFE0E"_s; }

    std::array<KeyFacts, keyCount> m_facts;
    std::array<std::optional<Key>, highestCode + 1> m_byCode;
    QList<Key> m_keys;
};

const KeyTable& table() {
    static const KeyTable keys;
    return keys;
}

} // namespace

const QList<Key>& allKeys() {
    return table().keys();
}

quint32 carbonKeyCode(Key key) {
    return table().facts(key).code;
}

std::optional<Key> keyFromCarbonKeyCode(quint32 code) {
    return table().byCode(code);
}

QString keyDescription(Key key) {
    return table().facts(key).description;
}

std::optional<Key> keyFromString(const QString& name) {
    const QString lowered = name.toLower();
    for (Key key : table().keys()) {
        if (table().facts(key).forms.contains(lowered))
            return key;
    }
    return std::nullopt;
}
