#pragma once

#include <QString>
#include <QtGlobal>
#include <initializer_list>
#include <optional>

// The X keysym that stands for a stored (macOS) key code, so a grab can find the key whatever
// the keyboard layout.
class X11KeySymbols {
public:
    // None for a code that names no key, or a key X has no symbol for (fn).
    static std::optional<quint32> keysymForCarbonKeyCode(quint32 carbonKeyCode);
    // The X modifier mask for a Carbon mask: command→Control, control→Mod4 (Super),
    // option→Mod1 (Alt), shift→Shift.
    static quint16 modifierMaskForCarbonFlags(quint32 carbonFlags);
    // The key's name as shortcut services write it ("u", "F5", "Return"); none as above.
    static std::optional<QString> keyNameForCarbonKeyCode(quint32 carbonKeyCode);

    // A shortcut service's word for one Carbon modifier flag.
    struct ModifierName {
        quint32 carbonFlag;
        const char* name;
    };
    // "Ctrl+Alt+u": the names of the modifiers set, in the order the service writes them, then the
    // key's name; none as above.
    static std::optional<QString> shortcutText(quint32 carbonKeyCode, quint32 carbonModifiers,
                                               std::initializer_list<ModifierName> modifierNames);
};
