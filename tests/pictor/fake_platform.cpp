#include "fake_platform.h"

#include <cstring>
#include <string>

namespace {

WNDPROC registeredProcedure() {
    return fake().registered.empty() ? nullptr : fake().registered.back().lpfnWndProc;
}

HDC fakeDeviceContext() { return reinterpret_cast<HDC>(0x5678); }

} // namespace

FakePlatform &fake() {
    static FakePlatform recording;
    return recording;
}

void resetFake() { fake() = FakePlatform{}; }
HWND fakeWindow() { return reinterpret_cast<HWND>(0x1234); }

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA *windowClass) {
    fake().registered.push_back(*windowClass);
    return fake().registrationSucceeds ? 0xC001 : 0;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    fake().unregistered.emplace_back(className);
    return TRUE;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR name) {
    return name == IDC_ARROW ? reinterpret_cast<HCURSOR>(0x32512) : nullptr;
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND, HMENU menu, HINSTANCE, LPVOID) {
    FakePlatform &f = fake();
    f.createdClass = className;
    f.createdTitle = windowName;
    f.createdStyle = style;
    f.createdX = x;
    f.createdY = y;
    f.createdWidth = width;
    f.createdHeight = height;
    f.createdMenu = menu;
    return f.creationSucceeds ? fakeWindow() : nullptr;
}

BOOL WINAPI DestroyWindow(HWND) { return TRUE; }

BOOL WINAPI ShowWindow(HWND, int showCommand) {
    fake().calls.push_back("show " + std::to_string(showCommand));
    return FALSE;
}

BOOL WINAPI UpdateWindow(HWND) {
    fake().calls.push_back("update");
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND, UINT message, WPARAM, LPARAM) {
    fake().calls.push_back("default " + std::to_string(message));
    return 42;
}

BOOL WINAPI PeekMessageA(MSG *message, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
    FakePlatform &f = fake();
    if (window != nullptr || filterMin != 0 || filterMax != 0 || remove != PM_REMOVE) {
        f.calls.push_back("filtered peek");
        return FALSE;
    }
    if (!f.waiting.empty()) {
        *message = f.waiting.front();
        f.waiting.pop_front();
        return TRUE;
    }
    // A loop that never ends would hang the test: after many idle polls, quit with code 99.
    if (f.quitPosted || ++f.emptyPolls > 1000) {
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(f.quitPosted ? f.quitCode : 99);
        f.quitPosted = false;
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI WaitMessage() {
    FakePlatform &f = fake();
    f.calls.push_back("wait");
    f.waiting.insert(f.waiting.end(), f.arriving.begin(), f.arriving.end());
    f.arriving.clear();
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG *message) {
    fake().calls.push_back("translate " + std::to_string(message->message));
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG *message) {
    fake().calls.push_back("dispatch " + std::to_string(message->message));
    if (message->hwnd == nullptr || registeredProcedure() == nullptr)
        return 0;
    return registeredProcedure()(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WINAPI PostMessageA(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

void WINAPI PostQuitMessage(int exitCode) {
    fake().calls.push_back("quit " + std::to_string(exitCode));
    fake().quitPosted = true;
    fake().quitCode = exitCode;
}

HDC WINAPI BeginPaint(HWND, PAINTSTRUCT *paint) {
    ++fake().beginPaints;
    paint->hdc = fakeDeviceContext();
    return paint->hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT *paint) {
    if (paint->hdc == fakeDeviceContext())
        ++fake().endPaints;
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT *rect, BOOL erase) {
    fake().invalidations.push_back({window, rect == nullptr, erase});
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC deviceContext, int x, int y, COLORREF colour) {
    if (deviceContext != fakeDeviceContext())
        return CLR_INVALID;
    fake().pixels.push_back({x, y, colour});
    return colour;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    fake().boxes.push_back({owner, text, caption, type});
    return IDOK;
}

namespace {

DWORD dialogError = 0;

BOOL fileDialog(LPOPENFILENAMEA dialog, bool forSaving) {
    FakePlatform &f = fake();
    std::string filter;
    for (const char *p = dialog->lpstrFilter; p != nullptr; p += std::strlen(p) + 1) {
        filter.append(p, std::strlen(p) + 1);
        if (*p == '\0')
            break;
    }
    f.fileDialogs.push_back({forSaving, *dialog, filter, dialog->lpstrTitle});
    // Win32 says why a dialog failed: here a path too long for the buffer; a cancel says nothing.
    dialogError = f.chosenPath.size() + 1 > dialog->nMaxFile ? FNERR_BUFFERTOOSMALL : 0;
    if (f.chosenPath.empty() || dialogError != 0)
        return FALSE;
    std::memcpy(dialog->lpstrFile, f.chosenPath.c_str(), f.chosenPath.size() + 1);
    return TRUE;
}

} // namespace

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA dialog) { return fileDialog(dialog, false); }
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA dialog) { return fileDialog(dialog, true); }
DWORD WINAPI CommDlgExtendedError() { return dialogError; }
