// The menu bar, built from the program's resource script.
#include "gtk_window.h"
#include "program_resources.h"

namespace {

void onActivate(GtkMenuItem *item, gpointer window) {
    const int command = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "command"));
    // A menu selection: the identifier in the low word of wParam, 0 in the high word.
    PostMessageA(static_cast<HWND>(window), WM_COMMAND, static_cast<WORD>(command), 0);
}

GtkWidget *buildEntry(const MenuEntry &entry, HWND owner) {
    switch (entry.kind) {
    case MenuEntry::Kind::separator:
        return gtk_separator_menu_item_new();
    case MenuEntry::Kind::popup: {
        GtkWidget *item = gtk_menu_item_new_with_label(entry.text.c_str());
        GtkWidget *menu = gtk_menu_new();
        for (const MenuEntry &child : entry.children)
            gtk_menu_shell_append(GTK_MENU_SHELL(menu), buildEntry(child, owner));
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
        return item;
    }
    case MenuEntry::Kind::item:
        break;
    }
    GtkWidget *item = gtk_menu_item_new_with_label(entry.text.c_str());
    g_object_set_data(G_OBJECT(item), "command", GINT_TO_POINTER(entry.id));
    g_signal_connect(item, "activate", G_CALLBACK(onActivate), owner);
    return item;
}

} // namespace

GtkWidget *buildMenuBar(LPCSTR menuName, HWND owner) {
    if (!IS_INTRESOURCE(menuName))
        return nullptr; // menus are named by identifier only
    const int id = static_cast<int>(reinterpret_cast<UINT_PTR>(menuName));
    std::vector<MenuResource> menus;
    try {
        menus = readMenuScript(programResourceScript(), programResourceIncludes());
    } catch (const MenuScriptError &error) {
        g_printerr("%s: resource script: %s\n", g_get_prgname(), error.what());
        return nullptr;
    }
    for (const MenuResource &menu : menus) {
        if (menu.id != id)
            continue;
        GtkWidget *bar = gtk_menu_bar_new();
        for (const MenuEntry &entry : menu.entries)
            gtk_menu_shell_append(GTK_MENU_SHELL(bar), buildEntry(entry, owner));
        return bar;
    }
    return nullptr;
}
