#pragma once

#include "hotkey/Key.h"
#include "hotkey/MenuShortcut.h"

#include <QList>
#include <QVariantMap>
#include <Qt>
#include <optional>

// A key code and a Carbon modifier mask, the form in which hot keys are registered and stored.
struct KeyCombo {
    quint32 carbonKeyCode = 0;
    quint32 carbonModifiers = 0;

    KeyCombo(quint32 keyCode, quint32 modifiers)
        : carbonKeyCode(keyCode)
        , carbonModifiers(modifiers) {}
    KeyCombo(Key key, Qt::KeyboardModifiers modifiers);

    // None when the code names no key.
    std::optional<Key> key() const;
    // No key stores code 0, which reads back as `a`.
    void setKey(std::optional<Key> key);
    Qt::KeyboardModifiers modifiers() const;
    void setModifiers(Qt::KeyboardModifiers modifiers);

    // {"keyCode": code, "modifiers": mask}, both as signed integers.
    QVariantMap dictionary() const;
    // None unless both entries are integers that fit 32 bits unsigned.
    static std::optional<KeyCombo> fromDictionary(const QVariantMap& dictionary);
    // Modifier glyphs (⌃ ⌥ ⇧ ⌘) followed by the key's description, if the code names a key.
    QString description() const;

    // None when the combination is empty or its key is not one of ours.
    static std::optional<KeyCombo> fromKeyCombination(QKeyCombination combination);
    // Every parsable shortcut of the items, each followed by those of its submenu.
    static QList<KeyCombo> keyCombos(const std::vector<MenuShortcut>& menu);
    // Shortcuts every application is expected to have, in a fixed order.
    static QList<KeyCombo> standardKeyCombos();

    bool operator==(const KeyCombo&) const = default;
};
