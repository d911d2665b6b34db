#include "hotkey/KeyCombo.h"

#include "hotkey/ModifierFlags.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString keyCodeEntry = u"keyCode"_s;
const QString modifiersEntry = u"modifiers"_s;

bool isInteger(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

std::optional<quint32> unsignedEntry(const QVariantMap& dictionary, const QString& name) {
    const QVariant value = dictionary.value(name);
    if (!isInteger(value))
        return std::nullopt;
    const bool isUnsigned =
        value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::ULong;
    if (!isUnsigned && value.toLongLong() < 0)
        return std::nullopt;
    const qulonglong number = value.toULongLong();
    if (number > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return static_cast<quint32>(number);
}

// The name Key understands for a Qt key that is not a printable character.
QString nameOfQtKey(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F20)
        return QStringLiteral("f%1").arg(qtKey - Qt::Key_F1 + 1);
    switch (qtKey) {
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return u"quote"_s;
    case Qt::Key_Escape:
        return u"escape"_s;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return u"tab"_s;
    case Qt::Key_Backspace:
        return u"delete"_s;
    case Qt::Key_Return:
        return u"return"_s;
    case Qt::Key_Enter:
        return u"keypadEnter"_s;
    case Qt::Key_Delete:
        return u"forwardDelete"_s;
    // The Help key sits where PC keyboards have Insert.
    case Qt::Key_Insert:
    case Qt::Key_Help:
        return u"help"_s;
    case Qt::Key_Clear:
        return u"keypadClear"_s;
    case Qt::Key_Home:
        return u"home"_s;
    case Qt::Key_End:
        return u"end"_s;
    case Qt::Key_PageUp:
        return u"pageUp"_s;
    case Qt::Key_PageDown:
        return u"pageDown"_s;
    case Qt::Key_Left:
        return u"leftArrow"_s;
    case Qt::Key_Up:
        return u"upArrow"_s;
    case Qt::Key_Right:
        return u"rightArrow"_s;
    case Qt::Key_Down:
        return u"downArrow"_s;
    case Qt::Key_Control:
        return u"command"_s;
    case Qt::Key_Meta:
        return u"control"_s;
    case Qt::Key_Alt:
        return u"option"_s;
    case Qt::Key_Shift:
        return u"shift"_s;
    case Qt::Key_CapsLock:
        return u"capsLock"_s;
    case Qt::Key_VolumeUp:
        return u"volumeUp"_s;
    case Qt::Key_VolumeDown:
        return u"volumeDown"_s;
    case Qt::Key_VolumeMute:
        return u"mute"_s;
    default:
        return {};
    }
}

std::optional<Key> keyOfQtKey(int qtKey) {
    const QString name = nameOfQtKey(qtKey);
    if (!name.isEmpty())
        return keyFromString(name);
    // Qt's printable keys carry their Latin-1 character (upper case for letters).
    if (qtKey >= 0x20 && qtKey <= 0xFF)
        return keyFromString(QString(QChar(qtKey)));
    return std::nullopt;
}

void appendKeyCombos(const std::vector<MenuShortcut>& menu, QList<KeyCombo>& combos) {
    for (const MenuShortcut& item : menu) {
        if (const auto combo = KeyCombo::fromKeyCombination(item.key))
            combos.append(*combo);
        appendKeyCombos(item.submenu, combos);
    }
}

} // namespace

KeyCombo::KeyCombo(Key key, Qt::KeyboardModifiers modifiers)
    : carbonKeyCode(::carbonKeyCode(key))
    , carbonModifiers(ModifierFlags::carbonFlags(modifiers)) {}

std::optional<Key> KeyCombo::key() const {
    return keyFromCarbonKeyCode(carbonKeyCode);
}

void KeyCombo::setKey(std::optional<Key> key) {
    carbonKeyCode = key ? ::carbonKeyCode(*key) : 0;
}

Qt::KeyboardModifiers KeyCombo::modifiers() const {
    return ModifierFlags::fromCarbonFlags(carbonModifiers);
}

void KeyCombo::setModifiers(Qt::KeyboardModifiers modifiers) {
    carbonModifiers = ModifierFlags::carbonFlags(modifiers);
}

QVariantMap KeyCombo::dictionary() const {
    return {{keyCodeEntry, qlonglong(carbonKeyCode)}, {modifiersEntry, qlonglong(carbonModifiers)}};
}

std::optional<KeyCombo> KeyCombo::fromDictionary(const QVariantMap& dictionary) {
    const auto keyCode = unsignedEntry(dictionary, keyCodeEntry);
    const auto modifiers = unsignedEntry(dictionary, modifiersEntry);
    if (!keyCode || !modifiers)
        return std::nullopt;
    return KeyCombo(*keyCode, *modifiers);
}

QString KeyCombo::description() const {
    const auto named = key();
    return ModifierFlags::description(modifiers()) + (named ? keyDescription(*named) : QString());
}

std::optional<KeyCombo> KeyCombo::fromKeyCombination(QKeyCombination combination) {
    const auto key = keyOfQtKey(combination.key());
    if (!key)
        return std::nullopt;
    return KeyCombo(*key, combination.keyboardModifiers());
}

QList<KeyCombo> KeyCombo::keyCombos(const std::vector<MenuShortcut>& menu) {
    QList<KeyCombo> combos;
    appendKeyCombos(menu, combos);
    return combos;
}

QList<KeyCombo> KeyCombo::standardKeyCombos() {
    constexpr quint32 cmd = ModifierFlags::command;
    constexpr quint32 shiftCmd = ModifierFlags::shift | cmd;
    constexpr quint32 optCmd = ModifierFlags::option | cmd;
    constexpr quint32 ctrlCmd = ModifierFlags::control | cmd;
    constexpr quint32 optShiftCmd = ModifierFlags::option | shiftCmd;
    return {
        {43, cmd},      {4, cmd},       {4, optCmd},      {12, cmd},      {45, cmd},
        {31, cmd},      {13, cmd},      {1, cmd},         {1, shiftCmd},  {15, cmd},
        {35, shiftCmd}, {35, cmd},      {6, cmd},         {6, shiftCmd},  {7, cmd},
        {8, cmd},       {9, cmd},       {9, optShiftCmd}, {0, cmd},       {3, cmd},
        {3, optCmd},    {5, cmd},       {5, shiftCmd},    {14, cmd},      {38, cmd},
        {41, shiftCmd}, {41, cmd},      {17, cmd},        {11, cmd},      {34, cmd},
        {32, cmd},      {24, shiftCmd}, {27, cmd},        {8, shiftCmd},  {8, optCmd},
        {9, optCmd},    {33, shiftCmd}, {42, shiftCmd},   {30, shiftCmd}, {8, ctrlCmd},
        {9, ctrlCmd},   {17, optCmd},   {1, ctrlCmd},     {3, ctrlCmd},   {46, cmd},
        {44, shiftCmd},
    };
}
