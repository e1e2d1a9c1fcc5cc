// The menu bar, built from a menu resource, and its keyboard mode.
#include "menu.h"
#include "window.h"

namespace {

void onActivate(GtkMenuItem *item, gpointer window) {
    const int command = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "command"));
    // A menu selection: the identifier in the low word of wParam, 0 in the high word.
    PostMessageA(static_cast<HWND>(window), WM_COMMAND, static_cast<WORD>(command), 0);
}

void appendItems(GtkWidget *shell, HMENU menu, HWND owner) {
    for (const HMENU__::Item &entry : menu->items) {
        if (entry.flags & MF_SEPARATOR) {
            gtk_menu_shell_append(GTK_MENU_SHELL(shell), gtk_separator_menu_item_new());
            continue;
        }
        GtkWidget *item = gtk_menu_item_new_with_label(entry.text.c_str());
        if (entry.popup != nullptr) {
            GtkWidget *popup = gtk_menu_new();
            appendItems(popup, entry.popup.get(), owner);
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), popup);
        } else {
            g_object_set_data(G_OBJECT(item), "command", GINT_TO_POINTER(entry.command));
            g_signal_connect(item, "activate", G_CALLBACK(onActivate), owner);
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
    }
}

} // namespace

GtkWidget *buildMenuBar(HMENU menu, HWND owner) {
    GtkWidget *bar = gtk_menu_bar_new();
    appendItems(bar, menu, owner);
    return bar;
}

void enterMenuMode(GtkWidget *window, const GdkEvent *key) {
    // GTK opens a menu bar from the key of its gtk-menu-bar-accel setting (F10 unless the user
    // chose another, or none); only GTK's own handling of that key takes the keyboard for the
    // menu, so the key is handed to the window as if pressed, with the device and time of the
    // key that asked.
    gchar *accelerator = nullptr;
    g_object_get(gtk_widget_get_settings(window), "gtk-menu-bar-accel", &accelerator, nullptr);
    guint keyval = 0;
    GdkModifierType modifiers{};
    if (accelerator != nullptr)
        gtk_accelerator_parse(accelerator, &keyval, &modifiers);
    g_free(accelerator);
    if (keyval == 0 || key == nullptr)
        return;
    GdkEvent *press = gdk_event_copy(key);
    press->key.type = GDK_KEY_PRESS;
    press->key.keyval = keyval;
    press->key.state = modifiers;
    press->key.is_modifier = FALSE;
    gtk_main_do_event(press);
    gdk_event_free(press);
}
