// A window of the layer on GTK 3: the GtkWindow with its menu bar and drawing area, and the
// off-screen image of the client area that painting fills. For the layer's own files only.
#pragma once

#include "pixel_image.h"
#include "win32.h"
#include "window_class.h"

#include <gtk/gtk.h>

struct HWND__ {
    WNDPROC procedure = nullptr; // the class's, as is the background
    COLORREF background = 0;
    GtkWidget *window = nullptr;
    GtkWidget *area = nullptr; // the client area
    HDC__ surface;             // what the client area shows
    bool eraseBeforePaint = true;
    // The outer size asked for, frame included.
    int outerWidth = 0;
    int outerHeight = 0;
};

// The live window of that handle, or null for a destroyed or unknown one.
HWND__ *liveWindow(HWND handle);

// The thread's message queue.
class MessageQueue;
MessageQueue &threadQueue();

// Sends a message straight to the window's procedure, as Win32's SendMessage does.
LRESULT sendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs GTK until *done is set, painting the windows that need it on the way: the nested loop
// of a modal dialog.
void runModalLoop(const bool *done);

// Builds the GtkMenuBar of the program's menu resource; its items post WM_COMMAND to owner.
// Null when the program has no menu of that identifier.
GtkWidget *buildMenuBar(LPCSTR menuName, HWND owner);

// Connects the drawing area's size and draw signals to the window's painting.
void connectPainting(HWND window);
