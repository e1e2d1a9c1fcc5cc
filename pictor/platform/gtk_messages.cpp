// The message loop's calls. PeekMessageA lets GTK handle what has already arrived and never
// waits; WaitMessage sleeps in GTK's main context until something happens (an X event, one of
// GTK's own timers), so that an idle program uses no processor time. Messages are posted only
// from within GTK's dispatching, on this one thread, so returning after each dispatch is enough
// to see them.
#include "gtk_window.h"
#include "message_queue.h"

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
