#include "image.h"

#include <cstddef>

Image::Image(std::int16_t largeur_, std::int16_t hauteur_)
    : largeur(largeur_), hauteur(hauteur_),
      pixels(std::make_unique<Pixel[]>(static_cast<std::size_t>(nombrePixels()))) {}

int Image::nombrePixels() const {
    if (largeur < 0 || hauteur < 0) {
        return 0;
    }
    return static_cast<int>(largeur) * static_cast<int>(hauteur);
}
