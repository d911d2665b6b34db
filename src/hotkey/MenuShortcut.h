#pragma once

#include <QKeySequence>
#include <vector>

// One menu item as far as its shortcut matters: its key sequence (possibly empty) and the items
// of its submenu.
struct MenuShortcut {
    QKeySequence keySequence;
    std::vector<MenuShortcut> submenu;
};
