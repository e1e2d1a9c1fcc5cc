// A window's menu bar on GTK 3: built from a menu loaded from the program's resources
// (resources.h), its items posting WM_COMMAND, and put in keyboard mode as Win32's default
// processing does on a lone Alt.
#pragma once

#include "resources.h"
#include "win32.h"

#include <gtk/gtk.h>

// The GtkMenuBar of a menu; its items post WM_COMMAND to owner.
GtkWidget *buildMenuBar(HMENU menu, HWND owner);

// Puts the window's menu bar in keyboard mode, its first menu open, as the toolkit's own menu
// bar key does; key is the event of the key that asked for it.
void enterMenuMode(GtkWidget *window, const GdkEvent *key);
