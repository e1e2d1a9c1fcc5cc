// Reads the menus of a resource script (.rc), the file that windres compiles for Windows, so that
// the layer builds the very same menu on Linux. Knows the statements a menu script uses:
// #include and #define of identifiers, MENU with LANGUAGE, POPUP, MENUITEM and SEPARATOR.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

struct MenuEntry {
    enum class Kind { popup, item, separator };
    Kind kind = Kind::item;
    std::string text;
    int id = 0;                      // the command identifier of an item
    std::vector<MenuEntry> children; // the entries of a popup
};

struct MenuResource {
    int id = 0;
    int language = 0; // the language identifier, 0 when the script names none
    std::vector<MenuEntry> entries;
};

struct MenuScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The texts that #include may name, by the name written in the script.
using IncludedFiles = std::map<std::string, std::string>;

// Every menu of the script, in order. Throws MenuScriptError, naming the line, on what it cannot
// read.
std::vector<MenuResource> readMenuScript(const std::string &script, const IncludedFiles &includes);
