// One pixel: red, green, blue bytes, in the order they take in a P6 file.
#pragma once

#include <cstdint>

struct Pixel {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// An array of Pixels is the raster of a P6 file, written as one block.
static_assert(sizeof(Pixel) == 3, "Pixel must be exactly three bytes");
