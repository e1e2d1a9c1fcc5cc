// Prints the program's menu table as `windres -O rc` lists a compiled menu resource, so that the
// Windows build can check that its resource holds the very same menu.
#include "menu.h"

#include <cstdio>
#include <cstring>

int main() {
    std::printf("%d MENU\nBEGIN\n", programMenu.id);
    const char *popup = nullptr;
    for (const MenuItem &item : programMenu.items) {
        if (popup == nullptr || std::strcmp(popup, item.popup) != 0) {
            if (popup != nullptr)
                std::printf("  END\n");
            popup = item.popup;
            std::printf("  POPUP \"%s\"\n  BEGIN\n", popup);
        }
        if (item.text == nullptr)
            std::printf("    MENUITEM SEPARATOR\n");
        else
            std::printf("    MENUITEM \"%s\", %d\n", item.text, item.command);
    }
    std::printf("%sEND\n", popup != nullptr ? "  END\n" : "");
    return 0;
}
