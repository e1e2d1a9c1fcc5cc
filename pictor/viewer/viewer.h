// The viewer's functions that the window system and the tests call, over its process-wide
// state: the window, and the picture of picture_state.h.
#pragma once

// The window system: Win32 itself on Windows, our layer of the same shape elsewhere.
#ifdef _WIN32
#include <windows.h>
// commdlg.h needs the declarations of windows.h before it; cderr.h holds its error codes.
#include <cderr.h>
#include <commdlg.h>
#else
#include "platform/win32.h"
#endif

#include <memory>

// The viewer's one window; the dialogs and message boxes are owned by it.
extern HWND mainWindow;

// --- The program (program.cpp).

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sets every pixel of the transformed picture, one screen pixel per picture pixel, from the
// client area's top-left corner.
void paintPicture(HWND window);

// "About": the information box.
void showAbout();

// --- The commands that touch files (file_commands.cpp).

// "Ouvrir": asks for a P6 file and shows it; a file that cannot be read is reported and the
// current picture stays.
void openPicture();

// "Enregistrer sous": asks for a path and writes the picture there; a failure is reported.
void savePicture();

// Paths live in a buffer of this many bytes: at most 255 characters and the terminating zero.
constexpr unsigned pathBufferSize = 256;

struct ChosenFile {
    bool accepted = false;        // the user confirmed a name
    std::unique_ptr<char[]> path; // the full path when accepted
};

// Shows the modal open dialog, or the save dialog when forSaving is true. A cancelled or failed
// dialog gives accepted = false; so does a path longer than 255 characters, which is also told
// in a message box.
ChosenFile chooseFileName(bool forSaving);
