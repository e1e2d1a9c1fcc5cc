// A module's resources and the menus loaded from them, which need no display. A program's
// resource script is compiled (compile_resources.cmake) into a source that hands its resources
// to the layer as the program starts; LoadMenuA then finds a menu among them by its identifier,
// as Win32 finds it in the module's resource section.
#pragma once

#include "win32.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// One resource, in the binary form Win32 keeps it in.
struct ResourceEntry {
    WORD type; // RT_MENU is 4
    WORD id;
    WORD language; // primary language in the low 10 bits, sublanguage above
    const void *data;
    std::size_t size; // in bytes
};

// Adds resources to the program's module; the entries must outlive it. Returns true.
bool addModuleResources(const ResourceEntry *entries, std::size_t count);

// A menu: its items in order, a popup's own items in the menu it owns.
struct HMENU__ {
    struct Item {
        UINT flags = 0; // MF_POPUP, MF_SEPARATOR
        WORD command = 0;
        std::string text; // in the layer's ANSI code page, UTF-8
        std::unique_ptr<HMENU__> popup;
    };
    std::vector<Item> items;
};

// The menu of a MENUITEMTEMPLATE of size bytes, or null when it is not one (another version,
// cut short, an unpaired UTF-16 surrogate).
HMENU readMenuTemplate(const void *data, std::size_t size);
