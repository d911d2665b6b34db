#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// The named keys of the keyboard, identified by the macOS virtual key codes the program stores.
// `return_` and `delete_` carry an underscore only because their plain names are C++ keywords.
enum class Key : std::uint8_t {
    // clang-format off
    a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u, v, w, x, y, z,
    zero, one, two, three, four, five, six, seven, eight, nine,
    period, quote, rightBracket, semicolon, slash, backslash, comma, equal, grave, leftBracket,
    minus, section,
    space, tab, return_,
    command, rightCommand, option, rightOption, control, rightControl, shift, rightShift,
    function, capsLock,
    pageUp, pageDown, home, end, upArrow, rightArrow, downArrow, leftArrow,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20,
    keypad0, keypad1, keypad2, keypad3, keypad4, keypad5, keypad6, keypad7, keypad8, keypad9,
    keypadClear, keypadDecimal, keypadDivide, keypadEnter, keypadEquals, keypadMinus,
    keypadMultiply, keypadPlus,
    escape, delete_, forwardDelete, help, volumeUp, volumeDown, mute,
    // clang-format on
};

// Every key, in declaration order.
const QList<Key>& allKeys();
quint32 carbonKeyCode(Key key);
// None for a code above 126 or one of the thirteen codes no key uses.
std::optional<Key> keyFromCarbonKeyCode(quint32 code);
// The glyph or text shown to the user.
QString keyDescription(Key key);
// Accepts the key's name or glyph in any letter case; a bare digit is the main-row digit.
std::optional<Key> keyFromString(const QString& name);
