#include "window_procedure.h"

#include "commands.h"
#include "resource.h"

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
