// The window system: Win32 itself on Windows, our layer of the same shape elsewhere.
#pragma once

#ifdef _WIN32
#include <windows.h>
// commdlg.h needs the declarations of windows.h before it; cderr.h holds its error codes.
#include <cderr.h>
#include <commdlg.h>
#else
#include "platform/win32.h"
#endif
