// The program: its entry and message loop, the window procedure, painting and the About box.
#include "picture_state.h"
#include "resource.h"
#include "viewer.h"

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

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paintPicture(window);
        return 0;
    case WM_COMMAND:
        // The whole wParam: a menu selection has the identifier in the low word, 0 above.
        switch (wParam) {
        case CMD_OPEN:
            openPicture();
            break;
        case CMD_SAVE_AS:
            savePicture();
            break;
        case CMD_QUIT:
            PostQuitMessage(0);
            break;
        case CMD_ABOUT:
            showAbout();
            break;
        default:
            break;
        }
        return 0;
    case WM_DESTROY:
    case WM_QUIT:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void paintPicture(HWND window) {
    PAINTSTRUCT paint{};
    const HDC deviceContext = BeginPaint(window, &paint);
    for (int r = 0; r < picture.height; ++r) {
        for (int c = 0; c < picture.width; ++c) {
            const COLORREF colour = picture.transformedRed[r][c] +
                                    256u * picture.transformedGreen[r][c] +
                                    65536u * picture.transformedBlue[r][c];
            SetPixel(deviceContext, c, r, colour);
        }
    }
    EndPaint(window, &paint);
}

void showAbout() {
    MessageBoxA(mainWindow, "Visualisation d'une image au format ppm \n", "About",
                MB_ICONINFORMATION);
}
