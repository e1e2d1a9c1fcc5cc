// Windows and the thread's message loop on GTK 3: the window class, window creation and
// destruction with the default processing of messages, the message queue, and the calls of the
// message loop.
#include "window.h"
#include "menu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

// --- The window class.

namespace {

std::optional<WindowClass> registered;

} // namespace

const WindowClass *findWindowClass(LPCSTR name) {
    if (!registered || name == nullptr || IS_INTRESOURCE(name) || registered->name != name)
        return nullptr;
    return &*registered;
}

COLORREF brushColour(HBRUSH brush) {
    const bool scrollBar = reinterpret_cast<UINT_PTR>(brush) == COLOR_SCROLLBAR + 1;
    return scrollBar ? RGB(200, 200, 200) : RGB(255, 255, 255);
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA *windowClass) {
    // Win32 checks the size field: a structure of another version is refused.
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA))
        return 0;
    const LPCSTR name = windowClass->lpszClassName;
    if (name == nullptr || IS_INTRESOURCE(name) || *name == '\0')
        return 0;
    if (windowClass->lpfnWndProc == nullptr || registered)
        return 0; // one class only
    registered = WindowClass{name, windowClass->lpfnWndProc, windowClass->hbrBackground,
                             windowClass->hInstance, windowClass->lpszMenuName};
    return 0xC000; // class atoms start at 0xC000
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    if (findWindowClass(className) == nullptr)
        return FALSE;
    registered.reset();
    return TRUE;
}

// --- Windows.

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

// Keys reach the toolkit's widgets, and are posted to the window as Win32's key messages too,
// which the default processing reads (a lone Alt opens the menu bar).
gboolean onKey(GtkWidget *, GdkEventKey *key, gpointer window) {
    HWND__ *w = static_cast<HWND__ *>(window);
    const auto down = std::find(w->keysDown.begin(), w->keysDown.end(), key->hardware_keycode);
    const bool wasDown = down != w->keysDown.end();
    if (key->type == GDK_KEY_PRESS && !wasDown)
        w->keysDown.push_back(key->hardware_keycode);
    else if (key->type == GDK_KEY_RELEASE && wasDown)
        w->keysDown.erase(down);
    if (w->lastKey != nullptr)
        gdk_event_free(w->lastKey);
    w->lastKey = gdk_event_copy(reinterpret_cast<GdkEvent *>(key));
    const MSG message = keyMessage(w, *key, wasDown);
    PostMessageA(message.hwnd, message.message, message.wParam, message.lParam);
    return FALSE;
}

// Keys released elsewhere are not seen: none is down when the window gets the keyboard back.
gboolean onFocusOut(GtkWidget *, GdkEvent *, gpointer window) {
    static_cast<HWND__ *>(window)->keysDown.clear();
    static_cast<HWND__ *>(window)->altAlone = false;
    return FALSE;
}

WPARAM virtualKey(guint keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z)
        return keyval - GDK_KEY_a + 'A';
    if ((keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) ||
        (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9))
        return keyval;
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24)
        return keyval - GDK_KEY_F1 + 0x70; // VK_F1
    static const struct {
        guint keyval;
        WPARAM key;
    } keys[] = {{GDK_KEY_Alt_L, VK_MENU}, {GDK_KEY_Alt_R, VK_MENU},  {GDK_KEY_BackSpace, 0x08},
                {GDK_KEY_Tab, 0x09},      {GDK_KEY_Return, 0x0D},    {GDK_KEY_Shift_L, 0x10},
                {GDK_KEY_Shift_R, 0x10},  {GDK_KEY_Control_L, 0x11}, {GDK_KEY_Control_R, 0x11},
                {GDK_KEY_Escape, 0x1B},   {GDK_KEY_space, 0x20},     {GDK_KEY_Left, 0x25},
                {GDK_KEY_Up, 0x26},       {GDK_KEY_Right, 0x27},     {GDK_KEY_Down, 0x28},
                {GDK_KEY_Delete, 0x2E}};
    for (const auto &k : keys)
        if (k.keyval == keyval)
            return k.key;
    return 0xFF;
}

} // namespace

MSG keyMessage(HWND window, const GdkEventKey &key, bool wasDown) {
    const WPARAM virtualKeyCode = virtualKey(key.keyval);
    const bool up = key.type == GDK_KEY_RELEASE;
    // GDK gives the modifiers as they were before the event: Alt's own press is not among them.
    const bool altDown = (key.state & GDK_MOD1_MASK) != 0 || (virtualKeyCode == VK_MENU && !up);
    const bool system = altDown || virtualKeyCode == VK_MENU || virtualKeyCode == VK_F10;
    const UINT message = system ? (up ? WM_SYSKEYUP : WM_SYSKEYDOWN) : (up ? WM_KEYUP : WM_KEYDOWN);
    // On X and Wayland a key code is the PC scan code plus 8.
    const auto scanCode = static_cast<LPARAM>((key.hardware_keycode - 8) & 0xFF);
    const LPARAM lParam =
        1 | scanCode << 16 | LPARAM{altDown} << 29 | LPARAM{wasDown || up} << 30 | LPARAM{up} << 31;
    return MSG{window, message, virtualKeyCode, lParam, key.time, POINT{0, 0}};
}

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
                            int width, int height, HWND, HMENU menu, HINSTANCE, LPVOID) {
    const WindowClass *windowClass = findWindowClass(className);
    if (windowClass == nullptr || theWindow != nullptr || !toolkitStarted())
        return nullptr;

    auto owned = std::make_unique<HWND__>();
    HWND window = owned.get();
    window->procedure = windowClass->procedure;
    window->background = brushColour(windowClass->background);
    window->menu = menu; // a menu given here takes the place of the class's
    if (menu == nullptr && windowClass->menuName != nullptr) {
        window->menu = LoadMenuA(windowClass->instance, windowClass->menuName);
        if (window->menu == nullptr)
            return nullptr; // the class names a menu the program's resources lack
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
    g_signal_connect(window->window, "key-press-event", G_CALLBACK(onKey), window);
    g_signal_connect(window->window, "key-release-event", G_CALLBACK(onKey), window);
    g_signal_connect(window->window, "focus-out-event", G_CALLBACK(onFocusOut), window);

    GtkWidget *box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    if (window->menu != nullptr)
        gtk_box_pack_start(GTK_BOX(box), buildMenuBar(window->menu, window), FALSE, FALSE, 0);
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
    DestroyMenu(w->menu);
    if (w->lastKey != nullptr)
        gdk_event_free(w->lastKey);
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

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND__ *w = liveWindow(window);
    if (w == nullptr)
        return 0;
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    // Alt pressed and released with no other key in between puts the menu bar in keyboard
    // mode; Alt held while another key is pressed does not.
    case WM_SYSKEYDOWN:
    case WM_KEYDOWN:
        if (wParam != VK_MENU)
            w->altAlone = false;
        else if (!(lParam & (LPARAM{1} << 30)))
            w->altAlone = true; // its first press, not a repeat
        return 0;
    case WM_SYSKEYUP:
        if (wParam == VK_MENU && w->altAlone) {
            w->altAlone = false;
            sendToWindow(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU && w->menu != nullptr)
            enterMenuMode(w->window, w->lastKey);
        return 0;
    default:
        return 0;
    }
}

// --- The message queue.

void MessageQueue::post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    posted_.push_back(MSG{window, message, wParam, lParam, 0, POINT{0, 0}});
}

void MessageQueue::postQuit(int exitCode) {
    quitPosted_ = true;
    quitCode_ = exitCode;
}

void MessageQueue::invalidate(HWND window) {
    if (!needsPaint(window))
        needPaint_.push_back(window);
}

void MessageQueue::validate(HWND window) {
    needPaint_.erase(std::remove(needPaint_.begin(), needPaint_.end(), window), needPaint_.end());
}

bool MessageQueue::needsPaint(HWND window) const {
    return std::find(needPaint_.begin(), needPaint_.end(), window) != needPaint_.end();
}

void MessageQueue::forget(HWND window) {
    validate(window);
    posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                                 [window](const MSG &m) { return m.hwnd == window; }),
                  posted_.end());
}

bool MessageQueue::waiting() const {
    return !posted_.empty() || quitPosted_ || !needPaint_.empty();
}

bool MessageQueue::take(MSG &out, UINT removeOption) {
    const bool remove = (removeOption & PM_REMOVE) != 0;
    if (!posted_.empty()) {
        out = posted_.front();
        if (remove)
            posted_.pop_front();
        return true;
    }
    if (quitPosted_) {
        out = MSG{};
        out.message = WM_QUIT;
        out.wParam = static_cast<WPARAM>(quitCode_);
        if (remove)
            quitPosted_ = false;
        return true;
    }
    if (!needPaint_.empty()) {
        out = MSG{};
        out.hwnd = needPaint_.front();
        out.message = WM_PAINT;
        return true;
    }
    return false;
}

// --- The message loop's calls. PeekMessageA lets GTK handle what has already arrived and never
// waits; WaitMessage sleeps in GTK's main context until something happens (an X event, one of
// GTK's own timers), so that an idle program uses no processor time. Messages are posted only
// from within GTK's dispatching, on this one thread, so returning after each dispatch is enough
// to see them.

MessageQueue &threadQueue() {
    static MessageQueue queue;
    return queue;
}

namespace {

// One pass of GTK's main context: handles what has arrived, or first sleeps until something
// does when asked to wait.
void iterateToolkit(bool wait) { g_main_context_iteration(nullptr, wait ? TRUE : FALSE); }

} // namespace

void runModalLoop(const bool *done) {
    while (!*done) {
        iterateToolkit(true); // the dialog's answer comes from a GTK signal
        // Win32's modal loops dispatch the paint messages of the windows behind the dialog.
        MSG message{};
        if (!*done && threadQueue().take(message, PM_NOREMOVE) && message.message == WM_PAINT)
            sendToWindow(message.hwnd, WM_PAINT, 0, 0);
    }
}

BOOL WINAPI PeekMessageA(MSG *message, HWND, UINT, UINT, UINT remove) {
    // Only the unfiltered form (no window, range 0 to 0) is offered.
    if (message == nullptr)
        return FALSE;
    if (threadQueue().take(*message, remove))
        return TRUE;
    iterateToolkit(false);
    return threadQueue().take(*message, remove) ? TRUE : FALSE;
}

BOOL WINAPI WaitMessage() {
    if (!threadQueue().waiting())
        iterateToolkit(true);
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG *) {
    return FALSE; // keys reach the toolkit's widgets directly; no character messages are made
}

LRESULT WINAPI DispatchMessageA(const MSG *message) {
    if (message == nullptr || message->hwnd == nullptr)
        return 0; // WM_QUIT reaches no window
    return sendToWindow(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && liveWindow(window) == nullptr)
        return FALSE;
    threadQueue().post(window, message, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) { threadQueue().postQuit(exitCode); }
