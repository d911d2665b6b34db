#include "hotkey/ModifierFlags.h"

#include <array>

namespace {

struct Modifier {
    Qt::KeyboardModifier flag;
    quint32 carbonBit;
    char16_t glyph;
};

// In the order their glyphs are shown.
constexpr std::array<Modifier, 4> modifiers{{
    {Qt::MetaModifier, ModifierFlags::control, u'⌃'},
    {Qt::AltModifier, ModifierFlags::option, u'⌥'},
    {Qt::ShiftModifier, ModifierFlags::shift, u'⇧'},
    {Qt::ControlModifier, ModifierFlags::command, u'⌘'},
}};

} // namespace

quint32 ModifierFlags::carbonFlags(Qt::KeyboardModifiers flags) {
    quint32 carbon = 0;
    for (const Modifier& modifier : modifiers) {
        if (flags.testFlag(modifier.flag))
            carbon |= modifier.carbonBit;
    }
    return carbon;
}

Qt::KeyboardModifiers ModifierFlags::fromCarbonFlags(quint32 carbonFlags) {
    Qt::KeyboardModifiers flags;
    for (const Modifier& modifier : modifiers) {
        if (carbonFlags & modifier.carbonBit)
            flags |= modifier.flag;
    }
    return flags;
}

QString ModifierFlags::description(Qt::KeyboardModifiers flags) {
    QString glyphs;
    for (const Modifier& modifier : modifiers) {
        if (flags.testFlag(modifier.flag))
            glyphs += QChar(modifier.glyph);
    }
    return glyphs;
}
