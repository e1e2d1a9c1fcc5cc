// The thread's message queue, in the order Win32 delivers: posted messages first, then the quit
// message once PostQuitMessage was called, then WM_PAINT for a window whose client area needs
// painting. A paint need is a state, not a message: WM_PAINT keeps coming until the window is
// validated (EndPaint), and invalidating a window twice still gives one WM_PAINT.
#pragma once

#include "win32.h"

#include <deque>
#include <vector>

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
