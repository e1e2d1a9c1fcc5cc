// The message loop's calls. PeekMessageA never blocks for long, but when nothing is waiting it
// lets GTK's main context wait up to 10 ms for an event: a program that polls in a tight loop
// then stays near 1 % of a processor instead of 100 %.
#include "gtk_window.h"
#include "message_queue.h"

#include <vector>

namespace {

const int idleWaitMs = 10;

} // namespace

MessageQueue &threadQueue() {
    static MessageQueue queue;
    return queue;
}

void iterateToolkit(int maxWaitMs) {
    GMainContext *context = g_main_context_default();
    if (!g_main_context_acquire(context))
        return;
    static std::vector<GPollFD> fds(16);
    gint priority = 0;
    g_main_context_prepare(context, &priority);
    gint timeout = 0;
    gint count = 0;
    while ((count = g_main_context_query(context, priority, &timeout, fds.data(),
                                         static_cast<gint>(fds.size()))) >
           static_cast<gint>(fds.size()))
        fds.resize(static_cast<std::size_t>(count));
    // Sources that are ready already make the timeout 0; GTK's own timers shorten it.
    if (timeout < 0 || timeout > maxWaitMs)
        timeout = maxWaitMs;
    g_main_context_get_poll_func(context)(fds.data(), static_cast<guint>(count), timeout);
    if (g_main_context_check(context, priority, fds.data(), count))
        g_main_context_dispatch(context);
    g_main_context_release(context);
}

void runModalLoop(const bool *done) {
    while (!*done) {
        iterateToolkit(idleWaitMs);
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
    iterateToolkit(idleWaitMs);
    return threadQueue().take(*message, remove) ? TRUE : FALSE;
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
