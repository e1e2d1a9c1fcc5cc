// A stand-in for the window system that records what the viewer asks of it, so that the
// viewer's own code is tested without a display.
#pragma once

#include "viewer/viewer.h"

#include <deque>
#include <string>
#include <vector>

struct FakePlatform {
    // Registration and creation.
    bool registrationSucceeds = true;
    bool creationSucceeds = true;
    std::vector<WNDCLASSEXA> registered;
    std::string createdClass, createdTitle;
    DWORD createdStyle = 0;
    int createdX = 0, createdY = 0, createdWidth = 0, createdHeight = 0;
    HMENU createdMenu = nullptr;
    std::vector<std::string> unregistered;

    // The message loop: PeekMessageA hands out these, then WM_QUIT once PostQuitMessage ran;
    // WaitMessage (recorded as "wait") moves the arriving ones into waiting.
    std::deque<MSG> waiting;
    std::deque<MSG> arriving;
    bool quitPosted = false;
    int quitCode = -1;
    int emptyPolls = 0;
    std::vector<std::string> calls; // "translate N", "dispatch N", "default N", "show N" ...

    // Painting.
    struct Pixel {
        int x, y;
        COLORREF colour;
    };
    std::vector<Pixel> pixels;
    int beginPaints = 0, endPaints = 0;
    struct Invalidation {
        HWND window;
        bool wholeArea;
        BOOL erase;
    };
    std::vector<Invalidation> invalidations;

    // Dialogs: the next file dialog accepts chosenPath when it is not empty.
    std::string chosenPath;
    struct FileDialog {
        bool forSaving;
        OPENFILENAMEA request;
        std::string filter; // the filter list up to and with its empty terminating string
        std::string title;
    };
    std::vector<FileDialog> fileDialogs;
    struct Box {
        HWND owner;
        std::string text, caption;
        UINT type;
    };
    std::vector<Box> boxes;
};

// The recording of the current test; fresh for each test that calls resetFake().
FakePlatform &fake();
void resetFake();

// The window handle the fake CreateWindowExA returns.
HWND fakeWindow();
