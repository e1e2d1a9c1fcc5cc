// An RGB picture in memory: row-major pixels, row 0 at the top.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "pixel.h"

struct Image {
    // Every pixel starts as `fond`, (0, 0, 0) unless said otherwise: a render whose rays mostly
    // miss starts from its background and stores only what its rays meet. A negative size is
    // taken as an empty picture.
    Image(std::int16_t largeur_, std::int16_t hauteur_, const Pixel &fond = Pixel{});
    Image(const Image &) = delete;
    Image &operator=(const Image &) = delete;

    // largeur * hauteur; the pixel of column c, row l is pixels[l * largeur + c].
    int nombrePixels() const;

    // The sizes and the pixel block are fixed at construction: the pixels can change, never
    // how many there are.
    const std::int16_t largeur;
    const std::int16_t hauteur;

    // Raw memory that the first fill turns into pixels (Pixel is a trivially copyable type),
    // given back for the next picture when this one goes (image.cpp).
    struct Rendre {
        std::size_t capacite; // bytes of the block
        void operator()(Pixel *p) const;
    };
    const std::unique_ptr<Pixel[], Rendre> pixels;
};
