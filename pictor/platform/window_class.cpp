#include "window_class.h"

#include <optional>

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
                             windowClass->lpszMenuName};
    return 0xC000; // class atoms start at 0xC000
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    if (findWindowClass(className) == nullptr)
        return FALSE;
    registered.reset();
    return TRUE;
}
