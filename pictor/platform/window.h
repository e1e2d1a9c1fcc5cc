// Windows and the thread's message loop on GTK 3: the window class, the message queue, and a
// window as a GtkWindow with its menu bar and drawing area. The viewer has one window class and
// one window, so the layer keeps one of each. The class and the queue need no display. For the
// layer's own files and its tests.
#pragma once

#include "painting.h"
#include "resources.h"
#include "win32.h"

#include <gtk/gtk.h>

#include <deque>
#include <string>
#include <vector>

// --- The window class: RegisterClassExA and UnregisterClassA need no display.

struct WindowClass {
    std::string name;
    WNDPROC procedure = nullptr;
    HBRUSH background = nullptr;
    HINSTANCE instance = nullptr; // the module whose resources hold the menu
    LPCSTR menuName = nullptr;    // a resource identifier (MAKEINTRESOURCEA) or null
};

// The registered class if it has that name, or null.
const WindowClass *findWindowClass(LPCSTR name);

// The colour a class background brush paints: a system colour brush is the colour index plus
// one, and the scroll-bar colour is fixed at RGB(200, 200, 200); any other brush paints white.
COLORREF brushColour(HBRUSH brush);

// --- The message queue, in the order Win32 delivers: posted messages first, then the quit
// message once PostQuitMessage was called, then WM_PAINT for a window whose client area needs
// painting. A paint need is a state, not a message: WM_PAINT keeps coming until the window is
// validated (EndPaint), and invalidating a window twice still gives one WM_PAINT.

class MessageQueue {
  public:
    void post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void postQuit(int exitCode);
    void invalidate(HWND window);
    void validate(HWND window);
    bool needsPaint(HWND window) const;
    // Drops the window's paint need and the messages posted to it (it was destroyed).
    void forget(HWND window);

    // Whether take would give a message: one posted, the quit message or a paint need.
    bool waiting() const;

    // Takes the next message into out; with PM_NOREMOVE it stays in the queue.
    // Returns false when nothing is waiting.
    bool take(MSG &out, UINT removeOption);

  private:
    std::deque<MSG> posted_;
    bool quitPosted_ = false;
    int quitCode_ = 0;
    std::vector<HWND> needPaint_;
};

// The thread's message queue.
MessageQueue &threadQueue();

// --- A window: the GtkWindow, and the off-screen image of the client area that painting fills.

struct HWND__ {
    WNDPROC procedure = nullptr; // the class's, as is the background
    COLORREF background = 0;
    GtkWidget *window = nullptr;
    GtkWidget *area = nullptr; // the client area
    HMENU menu = nullptr;      // the class's menu, loaded for this window
    // The default processing of keys: whether Alt is down with no other key pressed since, and
    // the last key event, which the menu bar's keyboard mode is entered with.
    bool altAlone = false;
    GdkEvent *lastKey = nullptr;
    std::vector<guint16> keysDown; // hardware key codes, to tell a key's repeats
    HDC__ surface;                 // what the client area shows
    bool eraseBeforePaint = true;
    // The outer size asked for, frame included.
    int outerWidth = 0;
    int outerHeight = 0;
};

// The live window of that handle, or null for a destroyed or unknown one.
HWND__ *liveWindow(HWND handle);

// Sends a message straight to the window's procedure, as Win32's SendMessage does.
LRESULT sendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs GTK until *done is set, painting the windows that need it on the way: the nested loop
// of a modal dialog.
void runModalLoop(const bool *done);

// The key message Win32 posts for a key event: WM_KEYDOWN or WM_KEYUP, or WM_SYSKEYDOWN and
// WM_SYSKEYUP for Alt, F10 and keys pressed while Alt is down; wParam the virtual key (0xFF for
// a key that has none here), lParam the repeat count 1, the scan code, whether Alt is down, the
// key's previous state and the transition.
MSG keyMessage(HWND window, const GdkEventKey &key, bool wasDown);
