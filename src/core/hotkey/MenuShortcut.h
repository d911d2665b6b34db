#pragma once

#include <Qt>
#include <vector>

// One menu item as far as its shortcut matters: the first key combination of its shortcut (empty
// when it has none) and the items of its submenu.
struct MenuShortcut {
    QKeyCombination key;
    std::vector<MenuShortcut> submenu;
};
