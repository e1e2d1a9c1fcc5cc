// An RGB picture in memory: row-major pixels, row 0 at the top.
#pragma once

#include <cstdint>
#include <memory>

#include "pixel.h"

struct Image {
    // Every pixel starts as (0, 0, 0). A negative size is taken as an empty picture.
    Image(std::int16_t largeur_, std::int16_t hauteur_);
    Image(const Image &) = delete;
    Image &operator=(const Image &) = delete;

    // largeur * hauteur; the pixel of column c, row l is pixels[l * largeur + c].
    int nombrePixels() const;

    // Sets every pixel to `couleur`.
    void remplir(const Pixel &couleur);

    // The sizes and the pixel block are fixed at construction: the pixels can change, never
    // how many there are.
    const std::int16_t largeur;
    const std::int16_t hauteur;
    const std::unique_ptr<Pixel[]> pixels;
};
