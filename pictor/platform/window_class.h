// The window class. The viewer registers one, so the layer keeps one: RegisterClassExA and
// UnregisterClassA need no display and are defined in window_class.cpp; the rest is for the
// layer's window code.
#pragma once

#include "win32.h"

#include <string>

struct WindowClass {
    std::string name;
    WNDPROC procedure = nullptr;
    HBRUSH background = nullptr;
    LPCSTR menuName = nullptr; // a resource identifier (MAKEINTRESOURCEA) or null
};

// The registered class if it has that name, or null.
const WindowClass *findWindowClass(LPCSTR name);

// The colour a class background brush paints: a system colour brush is the colour index plus
// one, and the scroll-bar colour is fixed at RGB(200, 200, 200); any other brush paints white.
COLORREF brushColour(HBRUSH brush);
