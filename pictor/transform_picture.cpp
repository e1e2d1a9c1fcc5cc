#include "picture_state.h"

#include <cstring>

namespace {

ColourPlane copyOf(const ColourPlane &plane, std::int32_t width, std::int32_t height) {
    ColourPlane copy = blankPlane(width, height);
    for (std::int32_t r = 0; r < height; ++r)
        std::memcpy(copy[r], plane[r], static_cast<std::size_t>(width));
    return copy;
}

} // namespace

void transformPicture() {
    picture.transformedRed = copyOf(picture.loadedRed, picture.width, picture.height);
    picture.transformedGreen = copyOf(picture.loadedGreen, picture.width, picture.height);
    picture.transformedBlue = copyOf(picture.loadedBlue, picture.width, picture.height);
}
