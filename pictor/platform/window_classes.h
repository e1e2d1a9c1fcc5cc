// The registered window classes. RegisterClassExA and UnregisterClassA need no display and are
// defined in window_classes.cpp; the rest is for the layer's window code.
#pragma once

#include "win32.h"

#include <string>

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HBRUSH background = nullptr;
    LPCSTR menuName = nullptr; // a resource identifier (MAKEINTRESOURCEA) or null
    int windowCount = 0;       // live windows of the class: it cannot be unregistered while > 0
};

// The class of that name (compared without regard to case, as Win32 does), or null.
WindowClass *findWindowClass(LPCSTR name);

// The colour a class background brush paints; false for no brush. A system colour brush is the
// colour index plus one; the scroll-bar colour is fixed at RGB(200, 200, 200).
bool brushColour(HBRUSH brush, COLORREF &colour);
