#include "x11/X11KeySymbols.h"

#include "hotkey/Key.h"
#include "hotkey/ModifierFlags.h"

#include <QStringList>

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xproto.h>

namespace {

constexpr quint32 noSymbol = 0;

quint32 offset(Key key, Key first, quint32 firstSymbol) {
    return firstSymbol + static_cast<quint32>(static_cast<int>(key) - static_cast<int>(first));
}

quint32 keysymOf(Key key) {
    if (key >= Key::a && key <= Key::z)
        return offset(key, Key::a, XK_a);
    if (key >= Key::zero && key <= Key::nine)
        return offset(key, Key::zero, XK_0);
    if (key >= Key::f1 && key <= Key::f20)
        return offset(key, Key::f1, XK_F1);
    if (key >= Key::keypad0 && key <= Key::keypad9)
        return offset(key, Key::keypad0, XK_KP_0);
    // clang-format off
    switch (key) {
    case Key::period: return XK_period;
    case Key::quote: return XK_apostrophe;
    case Key::rightBracket: return XK_bracketright;
    case Key::semicolon: return XK_semicolon;
    case Key::slash: return XK_slash;
    case Key::backslash: return XK_backslash;
    case Key::comma: return XK_comma;
    case Key::equal: return XK_equal;
    case Key::grave: return XK_grave;
    case Key::leftBracket: return XK_bracketleft;
    case Key::minus: return XK_minus;
    case Key::section: return XK_section;
    case Key::space: return XK_space;
    case Key::tab: return XK_Tab;
    case Key::return_: return XK_Return;
    // The modifier keys follow the same mapping as the modifier masks.
    case Key::command: return XK_Control_L;
    case Key::rightCommand: return XK_Control_R;
    case Key::option: return XK_Alt_L;
    case Key::rightOption: return XK_Alt_R;
    case Key::control: return XK_Super_L;
    case Key::rightControl: return XK_Super_R;
    case Key::shift: return XK_Shift_L;
    case Key::rightShift: return XK_Shift_R;
    case Key::capsLock: return XK_Caps_Lock;
    case Key::pageUp: return XK_Prior;
    case Key::pageDown: return XK_Next;
    case Key::home: return XK_Home;
    case Key::end: return XK_End;
    case Key::upArrow: return XK_Up;
    case Key::rightArrow: return XK_Right;
    case Key::downArrow: return XK_Down;
    case Key::leftArrow: return XK_Left;
    case Key::keypadClear: return XK_Clear;
    case Key::keypadDecimal: return XK_KP_Decimal;
    case Key::keypadDivide: return XK_KP_Divide;
    case Key::keypadEnter: return XK_KP_Enter;
    case Key::keypadEquals: return XK_KP_Equal;
    case Key::keypadMinus: return XK_KP_Subtract;
    case Key::keypadMultiply: return XK_KP_Multiply;
    case Key::keypadPlus: return XK_KP_Add;
    case Key::escape: return XK_Escape;
    case Key::delete_: return XK_BackSpace;
    case Key::forwardDelete: return XK_Delete;
    // PC keyboards have Insert where the Help key is.
    case Key::help: return XK_Insert;
    case Key::volumeUp: return XF86XK_AudioRaiseVolume;
    case Key::volumeDown: return XF86XK_AudioLowerVolume;
    case Key::mute: return XF86XK_AudioMute;
    default: return noSymbol;
    }
    // clang-format on
}

} // namespace

std::optional<quint32> X11KeySymbols::keysymForCarbonKeyCode(quint32 carbonKeyCode) {
    const auto key = keyFromCarbonKeyCode(carbonKeyCode);
    if (!key)
        return std::nullopt;
    const quint32 keysym = keysymOf(*key);
    if (keysym == noSymbol)
        return std::nullopt;
    return keysym;
}

quint16 X11KeySymbols::modifierMaskForCarbonFlags(quint32 carbonFlags) {
    quint16 mask = 0;
    if (carbonFlags & ModifierFlags::command)
        mask |= XCB_MOD_MASK_CONTROL;
    if (carbonFlags & ModifierFlags::control)
        mask |= XCB_MOD_MASK_4;
    if (carbonFlags & ModifierFlags::option)
        mask |= XCB_MOD_MASK_1;
    if (carbonFlags & ModifierFlags::shift)
        mask |= XCB_MOD_MASK_SHIFT;
    return mask;
}

std::optional<QString> X11KeySymbols::keyNameForCarbonKeyCode(quint32 carbonKeyCode) {
    const auto keysym = keysymForCarbonKeyCode(carbonKeyCode);
    if (!keysym)
        return std::nullopt;
    const char* name = XKeysymToString(*keysym);
    if (!name)
        return std::nullopt;
    return QString::fromLatin1(name);
}

std::optional<QString>
X11KeySymbols::shortcutText(quint32 carbonKeyCode, quint32 carbonModifiers,
                            std::initializer_list<ModifierName> modifierNames) {
    const auto key = keyNameForCarbonKeyCode(carbonKeyCode);
    if (!key)
        return std::nullopt;
    QStringList parts;
    for (const ModifierName& modifier : modifierNames) {
        if (carbonModifiers & modifier.carbonFlag)
            parts << QLatin1String(modifier.name);
    }
    parts << *key;
    return parts.join(QLatin1Char('+'));
}
