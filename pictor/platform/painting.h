// Painting: the client area of a window shows an off-screen image, which BeginPaint hands out
// as a device context, SetPixel writes into and EndPaint shows. The image needs no display.
#pragma once

#include "win32.h"

#include <cstdint>
#include <vector>

// An off-screen image of a client area. Pixels are stored as cairo's RGB24 expects them: one
// 32-bit word per pixel, 0x00RRGGBB, rows one after the other.
class PixelImage {
  public:
    int width() const { return width_; }
    int height() const { return height_; }
    std::uint32_t *data() { return pixels_.data(); }

    // A new size; every pixel then has the given colour.
    void reset(int width, int height, COLORREF colour);
    void fill(COLORREF colour);

    // Sets one pixel and returns the colour set, or CLR_INVALID outside the image.
    COLORREF set(int x, int y, COLORREF colour);

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// A device context: the image that painting writes into.
struct HDC__ {
    PixelImage image;
};

// Connects the client area's size and draw signals to the window's painting.
void connectPainting(HWND window);
