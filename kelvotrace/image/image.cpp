#include "image.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr std::size_t pixelsEntete = Image::placeEntete / sizeof(Pixel);

} // namespace

Image::Image(std::int16_t largeur_, std::int16_t hauteur_)
    : largeur(largeur_), hauteur(hauteur_),
      bloc(std::make_unique<Pixel[]>(pixelsEntete + static_cast<std::size_t>(nombrePixels()))),
      pixels(bloc.get() + pixelsEntete) {}

int Image::nombrePixels() const {
    if (largeur < 0 || hauteur < 0) {
        return 0;
    }
    return static_cast<int>(largeur) * static_cast<int>(hauteur);
}

void Image::remplir(const Pixel &couleur) {
    const std::size_t total = static_cast<std::size_t>(nombrePixels());
    if (total == 0) {
        return;
    }
    // One pixel, then copies of what is done, doubling each time: a handful of block copies
    // instead of a store per pixel.
    pixels[0] = couleur;
    for (std::size_t faits = 1; faits < total; faits *= 2) {
        const std::size_t copie = faits < total - faits ? faits : total - faits;
        std::memcpy(pixels + faits, pixels, copie * sizeof(Pixel));
    }
}
