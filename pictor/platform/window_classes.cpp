#include "window_classes.h"

#include <algorithm>
#include <cctype>
#include <list>

namespace {

std::list<WindowClass> &classes() {
    static std::list<WindowClass> registered; // a list: a class keeps its address
    return registered;
}

bool sameName(const std::string &a, LPCSTR b) {
    const std::string other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

WindowClass *findWindowClass(LPCSTR name) {
    if (name == nullptr || IS_INTRESOURCE(name))
        return nullptr;
    for (WindowClass &c : classes())
        if (sameName(c.name, name))
            return &c;
    return nullptr;
}

bool brushColour(HBRUSH brush, COLORREF &colour) {
    const auto value = reinterpret_cast<UINT_PTR>(brush);
    if (value == COLOR_SCROLLBAR + 1) {
        colour = RGB(200, 200, 200);
        return true;
    }
    return false;
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA *windowClass) {
    // Win32 checks the size field: a structure of another version is refused.
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA))
        return 0;
    const LPCSTR name = windowClass->lpszClassName;
    if (name == nullptr || IS_INTRESOURCE(name) || *name == '\0')
        return 0;
    if (windowClass->lpfnWndProc == nullptr || findWindowClass(name) != nullptr)
        return 0;

    WindowClass entry;
    entry.name = name;
    entry.style = windowClass->style;
    entry.procedure = windowClass->lpfnWndProc;
    entry.instance = windowClass->hInstance;
    entry.background = windowClass->hbrBackground;
    entry.menuName = windowClass->lpszMenuName;
    classes().push_back(entry);
    return static_cast<ATOM>(0xC000 + classes().size()); // class atoms start at 0xC000
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    WindowClass *found = findWindowClass(className);
    if (found == nullptr || found->windowCount > 0)
        return FALSE;
    classes().remove_if([found](const WindowClass &c) { return &c == found; });
    return TRUE;
}
