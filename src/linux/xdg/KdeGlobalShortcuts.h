#pragma once

#include "hotkey/KeyCombo.h"

#include <QByteArray>
#include <QList>
#include <QString>

// KDE Plasma's global shortcuts as its shortcut daemon saves them (kglobalshortcutsrc). Each entry
// is "action=active,default,friendly name"; the active part may hold several shortcuts separated
// by tabs, or "none".
class KdeGlobalShortcuts {
public:
    static QString defaultFilePath();
    // Empty when the file is missing or unreadable.
    static QList<KeyCombo> read(const QString& filePath);
    // The active shortcuts in file order; entries that name no key of ours are skipped.
    static QList<KeyCombo> parse(const QByteArray& text);
};
