#include "picture_state.h"

PictureState picture;

ColourPlane blankPlane(std::int32_t width, std::int32_t height) {
    ColourPlane plane;
    plane.width = width;
    plane.rows.reserve(static_cast<std::size_t>(height));
    for (std::int32_t r = 0; r < height; ++r)
        plane.rows.push_back(std::make_unique<unsigned char[]>(static_cast<std::size_t>(width)));
    return plane;
}
