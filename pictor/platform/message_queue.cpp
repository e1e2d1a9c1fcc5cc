#include "message_queue.h"

#include <algorithm>

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
