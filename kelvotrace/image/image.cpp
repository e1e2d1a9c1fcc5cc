#include "image.h"

#include <cstddef>

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
