#include "main_window.h"
#include "resource.h"
#include "window_procedure.h"

HWND mainWindow = nullptr;

namespace {

const char *const className = "MyClass";

bool registerWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // A system colour index plus one stands for that colour's brush.
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_SCROLLBAR + 1));
    windowClass.lpszMenuName = MAKEINTRESOURCEA(MENU_MAIN);
    windowClass.lpszClassName = className;
    return RegisterClassExA(&windowClass) != 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    mainWindow = nullptr;
    if (!registerWindowClass(instance))
        return 1;

    mainWindow = CreateWindowExA(0, className, "Pictor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                 500, 500, nullptr, nullptr, instance, nullptr);
    if (mainWindow == nullptr)
        return 1;
    ShowWindow(mainWindow, SW_SHOWDEFAULT);
    UpdateWindow(mainWindow);

    // WM_QUIT is dispatched too (it reaches no window). With nothing waiting the loop sleeps
    // until the next message instead of polling: an idle viewer uses no processor.
    MSG message{};
    while (message.message != WM_QUIT) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            WaitMessage();
        }
    }
    UnregisterClassA(className, instance);
    return static_cast<int>(message.wParam);
}
