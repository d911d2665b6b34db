#pragma once

#include <QString>
#include <Qt>

// Converts between Qt's modifier set and the Carbon modifier mask the program stores.
// Qt's mapping holds: the stored "command" is Ctrl, its "control" is Meta (Super), "option" is Alt.
// Every other flag is dropped in both directions.
class ModifierFlags {
public:
    static constexpr quint32 command = 0x100;
    static constexpr quint32 shift = 0x200;
    static constexpr quint32 option = 0x800;
    static constexpr quint32 control = 0x1000;

    static quint32 carbonFlags(Qt::KeyboardModifiers modifiers);
    static Qt::KeyboardModifiers fromCarbonFlags(quint32 carbonFlags);
    // The glyphs of the set, always in the order ⌃ ⌥ ⇧ ⌘.
    static QString description(Qt::KeyboardModifiers modifiers);
};
