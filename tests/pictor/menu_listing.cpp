// Prints the program's menu resource, as the layer loads it, the way `windres -O rc` lists a
// compiled menu, so that the Windows build can check that windres and the layer's resource
// compiler read pictor.rc alike.
#include "resources.h"
#include "viewer/resource.h"

#include <cstdio>
#include <string>

namespace {

void list(HMENU menu, const std::string &indent) {
    std::printf("%sBEGIN\n", indent.c_str());
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256];
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        if (HMENU popup = GetSubMenu(menu, i)) {
            std::printf("%s  POPUP \"%s\"\n", indent.c_str(), text);
            list(popup, indent + "  ");
        } else if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) {
            std::printf("%s  MENUITEM SEPARATOR\n", indent.c_str());
        } else {
            std::printf("%s  MENUITEM \"%s\", %u\n", indent.c_str(), text, GetMenuItemID(menu, i));
        }
    }
    std::printf("%sEND\n", indent.c_str());
}

} // namespace

int main() {
    const HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(MENU_MAIN));
    if (menu == nullptr) {
        std::fprintf(stderr, "pictor_menu_listing: no menu %d among the resources\n", MENU_MAIN);
        return 1;
    }
    std::printf("%d MENU\n", MENU_MAIN);
    list(menu, "");
    DestroyMenu(menu);
    return 0;
}
