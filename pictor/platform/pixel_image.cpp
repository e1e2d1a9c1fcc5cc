#include "pixel_image.h"

#include <algorithm>

namespace {

// COLORREF has red in the low byte; cairo's word has red in bits 16 to 23.
std::uint32_t toWord(COLORREF colour) {
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

} // namespace

void PixelImage::reset(int width, int height, COLORREF colour) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_),
                   toWord(colour));
}

void PixelImage::fill(COLORREF colour) {
    std::fill(pixels_.begin(), pixels_.end(), toWord(colour));
}

COLORREF PixelImage::set(int x, int y, COLORREF colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return CLR_INVALID;
    const COLORREF shown = colour & 0xFFFFFFu; // the top byte plays no part in the colour
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = toWord(shown);
    return shown;
}
