// The program's menu as a table: on Linux it takes the place of the menu resource that windres
// compiles into a Windows program. The program defines programMenu.
#pragma once

#include "win32.h"

#include <vector>

struct MenuItem {
    const char *popup; // the popup of the menu bar the item is in; items of a popup follow
    const char *text;  // null for a separator
    WORD command;      // what WM_COMMAND carries when the item is chosen
};

struct MenuTable {
    WORD id; // the resource identifier a window class names it by
    std::vector<MenuItem> items;
};

extern const MenuTable programMenu;
