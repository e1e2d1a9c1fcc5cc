#include "window_procedure.h"

#include "picture_state.h"

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
