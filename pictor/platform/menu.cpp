// The menu bar, built from the program's menu table.
#include "menu.h"
#include "window.h"

#include <cstring>

namespace {

void onActivate(GtkMenuItem *item, gpointer window) {
    const int command = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "command"));
    // A menu selection: the identifier in the low word of wParam, 0 in the high word.
    PostMessageA(static_cast<HWND>(window), WM_COMMAND, static_cast<WORD>(command), 0);
}

} // namespace

GtkWidget *buildMenuBar(LPCSTR menuName, HWND owner) {
    if (menuName != MAKEINTRESOURCEA(programMenu.id))
        return nullptr; // the program has no other menu
    GtkWidget *bar = gtk_menu_bar_new();
    GtkWidget *popup = nullptr;
    const char *popupName = nullptr;
    for (const MenuItem &entry : programMenu.items) {
        if (popupName == nullptr || std::strcmp(popupName, entry.popup) != 0) {
            popupName = entry.popup;
            popup = gtk_menu_new();
            GtkWidget *title = gtk_menu_item_new_with_label(popupName);
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(title), popup);
            gtk_menu_shell_append(GTK_MENU_SHELL(bar), title);
        }
        if (entry.text == nullptr) {
            gtk_menu_shell_append(GTK_MENU_SHELL(popup), gtk_separator_menu_item_new());
            continue;
        }
        GtkWidget *item = gtk_menu_item_new_with_label(entry.text);
        g_object_set_data(G_OBJECT(item), "command", GINT_TO_POINTER(entry.command));
        g_signal_connect(item, "activate", G_CALLBACK(onActivate), owner);
        gtk_menu_shell_append(GTK_MENU_SHELL(popup), item);
    }
    return bar;
}
