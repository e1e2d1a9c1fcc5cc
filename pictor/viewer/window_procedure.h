// The window procedure of the viewer's window class, and the painting it runs.
#pragma once

#include "system.h"

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sets every pixel of the transformed picture, one screen pixel per picture pixel, from the
// client area's top-left corner.
void paintPicture(HWND window);
