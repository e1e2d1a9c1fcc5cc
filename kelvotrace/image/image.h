// An RGB picture in memory: row-major pixels, row 0 at the top.
#pragma once

#include <cstdint>
#include <memory>

#include "pixel.h"

struct Image {
    // Bytes left free just before pixels[0], in the same block: a writer puts a file header
    // there and sends header and raster in one piece, without copying the raster.
    static constexpr int placeEntete = 11 * static_cast<int>(sizeof(Pixel));

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

  private:
    const std::unique_ptr<Pixel[]> bloc; // the header room, then the picture

  public:
    Pixel *const pixels;
};
