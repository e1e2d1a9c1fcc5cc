// The viewer's one window; the dialogs and message boxes are owned by it.
#pragma once

#include "system.h"

extern HWND mainWindow;
