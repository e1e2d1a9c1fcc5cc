#include "image.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

int nombrePixelsDe(std::int16_t largeur, std::int16_t hauteur) {
    if (largeur < 0 || hauteur < 0) {
        return 0;
    }
    return static_cast<int>(largeur) * static_cast<int>(hauteur);
}

// Sets `total` pixels to `couleur`. Thirty-two pixels are 96 bytes, six 16-byte vector words:
// the picture is stored a block of 96 bytes at a time, six plain stores per thirty-two pixels (a
// pixel at a time would be a store of three bytes each).
void remplir(Pixel *pixels, std::size_t total, const Pixel &couleur) {
    constexpr std::size_t parMotif = 32;
    Pixel motif[parMotif];
    for (Pixel &p : motif) {
        p = couleur;
    }

    unsigned char *octets = reinterpret_cast<unsigned char *>(pixels);
    std::size_t fait = 0;
    for (; fait + parMotif <= total; fait += parMotif, octets += sizeof(motif)) {
        std::memcpy(octets, motif, sizeof(motif));
    }
    for (; fait < total; ++fait) {
        pixels[fait] = couleur;
    }
}

} // namespace

// The pixels are written once, with `fond`, not first zeroed by a constructor and then again.
Image::Image(std::int16_t largeur_, std::int16_t hauteur_, const Pixel &fond)
    : largeur(largeur_), hauteur(hauteur_),
      pixels(static_cast<Pixel *>(::operator new(
          static_cast<std::size_t>(nombrePixelsDe(largeur_, hauteur_)) * sizeof(Pixel)))) {
    remplir(pixels.get(), static_cast<std::size_t>(nombrePixels()), fond);
}

int Image::nombrePixels() const { return nombrePixelsDe(largeur, hauteur); }
