#include "picture_state.h"

#include <cstring>

namespace {

// Copies plane into copy. The load gives copy the picture's shape already, so that nothing is
// allocated here and an Open cannot run out of memory once the picture is replaced.
void copyInto(ColourPlane &copy, const ColourPlane &plane, std::int32_t width,
              std::int32_t height) {
    if (copy.rows.size() != static_cast<std::size_t>(height) || copy.width != width)
        copy = blankPlane(width, height);
    for (std::int32_t r = 0; r < height; ++r)
        std::memcpy(copy[r], plane[r], static_cast<std::size_t>(width));
}

} // namespace

void transformPicture() {
    copyInto(picture.transformedRed, picture.loadedRed, picture.width, picture.height);
    copyInto(picture.transformedGreen, picture.loadedGreen, picture.width, picture.height);
    copyInto(picture.transformedBlue, picture.loadedBlue, picture.width, picture.height);
}
