// Window creation and destruction, and the default processing of messages. The viewer has one
// window, so the layer keeps one.
#include "gtk_window.h"
#include "message_queue.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::unique_ptr<HWND__> theWindow;

// What an environment variable names, quoted, or that it is not set.
std::string described(const char *variable, const char *absent) {
    const char *value = std::getenv(variable);
    if (value == nullptr || *value == '\0')
        return std::string(variable) + " is not set" + absent;
    return std::string(variable) + "=\"" + value + "\"";
}

// GTK is started with the window. Without a display that fails: the message names the displays
// GTK looks for, Wayland's and X's, and how to choose between them.
bool toolkitStarted() {
    if (gtk_init_check(nullptr, nullptr))
        return true;
    const char *backend = std::getenv("GDK_BACKEND");
    const std::string tried =
        "Wayland: " + described("WAYLAND_DISPLAY", ", so \"wayland-0\"") +
        "; X: " + described("DISPLAY", "") +
        (backend != nullptr && *backend != '\0' ? "; " + described("GDK_BACKEND", "")
                                                : std::string());
    std::fprintf(stderr,
                 "%s: cannot open a window: no display could be opened (%s); choose one with "
                 "GDK_BACKEND=wayland or GDK_BACKEND=x11\n",
                 g_get_prgname(), tried.c_str());
    return false;
}

gboolean onDeleteEvent(GtkWidget *, GdkEvent *, gpointer window) {
    // The close button asks; the window procedure decides (by default it destroys the window).
    PostMessageA(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return TRUE;
}

// Under client-side decorations (Wayland) GTK draws its own title bar inside the window, beside
// the content; the sizes GTK is asked for leave it out. Its height, or 0 without one.
int titleBarHeight(GtkWidget *toplevel) {
    struct Search {
        GtkWidget *content;
        int height;
    } search{gtk_bin_get_child(GTK_BIN(toplevel)), 0};
    gtk_container_forall(
        GTK_CONTAINER(toplevel),
        [](GtkWidget *child, gpointer data) {
            Search *s = static_cast<Search *>(data);
            if (child != s->content && gtk_widget_get_visible(child))
                s->height += gtk_widget_get_allocated_height(child);
        },
        &search);
    return search.height;
}

// The decorations are known only once the window is mapped: a window manager's frame on X11,
// GTK's own title bar on Wayland (whose frame extents read no frame: its shadows are no part of
// the window a person sees). Their sizes differ from one manager and theme to the next. The
// window then gives them their share of the outer size asked for, as a Win32 window's size
// includes its frame; without decorations nothing changes.
gboolean onFirstMap(GtkWidget *widget, GdkEvent *, gpointer window) {
    HWND__ *w = static_cast<HWND__ *>(window);
    g_signal_handlers_disconnect_by_func(widget, reinterpret_cast<gpointer>(onFirstMap), window);
    GdkWindow *gdkWindow = gtk_widget_get_window(widget);
    GdkRectangle frame{};
    gdk_window_get_frame_extents(gdkWindow, &frame);
    const int frameWidth = frame.width - gdk_window_get_width(gdkWindow);
    const int frameHeight =
        frame.height - gdk_window_get_height(gdkWindow) + titleBarHeight(widget);
    if (frameWidth > 0 || frameHeight > 0)
        gtk_window_resize(GTK_WINDOW(widget), std::max(1, w->outerWidth - frameWidth),
                          std::max(1, w->outerHeight - frameHeight));
    return FALSE;
}

} // namespace

HWND__ *liveWindow(HWND handle) {
    return handle != nullptr && handle == theWindow.get() ? handle : nullptr;
}

LRESULT sendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND__ *w = liveWindow(window);
    if (w == nullptr)
        return 0;
    return w->procedure(window, message, wParam, lParam);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) {
    // GTK shows the arrow by default; a non-null handle tells the caller the cursor exists.
    static char arrow;
    return reinterpret_cast<HCURSOR>(&arrow);
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
    const WindowClass *windowClass = findWindowClass(className);
    if (windowClass == nullptr || theWindow != nullptr || !toolkitStarted())
        return nullptr;

    auto owned = std::make_unique<HWND__>();
    HWND window = owned.get();
    window->procedure = windowClass->procedure;
    window->background = brushColour(windowClass->background);
    GtkWidget *menuBar = nullptr;
    if (windowClass->menuName != nullptr) {
        menuBar = buildMenuBar(windowClass->menuName, window);
        if (menuBar == nullptr)
            return nullptr; // the class names a menu the program lacks
    }
    theWindow = std::move(owned);

    window->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window->window), windowName != nullptr ? windowName : "");
    // The outer size includes the menu bar, as Win32's includes frame and menu; the frame's
    // share is taken once it is known.
    gtk_window_set_default_size(GTK_WINDOW(window->window), width, height);
    window->outerWidth = width;
    window->outerHeight = height;
    g_signal_connect(window->window, "map-event", G_CALLBACK(onFirstMap), window);
    gtk_window_move(GTK_WINDOW(window->window), x, y);
    g_signal_connect(window->window, "delete-event", G_CALLBACK(onDeleteEvent), window);

    GtkWidget *box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    if (menuBar != nullptr)
        gtk_box_pack_start(GTK_BOX(box), menuBar, FALSE, FALSE, 0);
    window->area = gtk_drawing_area_new();
    gtk_box_pack_start(GTK_BOX(box), window->area, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window->window), box);
    connectPainting(window);

    if (style & WS_VISIBLE)
        gtk_widget_show_all(window->window);
    return window;
}

BOOL WINAPI DestroyWindow(HWND window) {
    HWND__ *w = liveWindow(window);
    if (w == nullptr)
        return FALSE;
    sendToWindow(window, WM_DESTROY, 0, 0);
    threadQueue().forget(window);
    gtk_widget_destroy(w->window);
    theWindow.reset();
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int) {
    // Every show command the viewer gives shows the window.
    HWND__ *w = liveWindow(window);
    if (w == nullptr)
        return FALSE;
    const BOOL wasVisible = gtk_widget_get_visible(w->window);
    gtk_widget_show_all(w->window);
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND window) {
    if (liveWindow(window) == nullptr)
        return FALSE;
    if (threadQueue().needsPaint(window))
        sendToWindow(window, WM_PAINT, 0, 0);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    default:
        return 0;
    }
}
