#include "image.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

Image::Image(std::int16_t largeur_, std::int16_t hauteur_)
    : largeur(largeur_), hauteur(hauteur_),
      pixels(std::make_unique<Pixel[]>(static_cast<std::size_t>(nombrePixels()))) {}

int Image::nombrePixels() const {
    if (largeur < 0 || hauteur < 0) {
        return 0;
    }
    return static_cast<int>(largeur) * static_cast<int>(hauteur);
}

void Image::remplir(const Pixel &couleur) {
    const std::size_t total = static_cast<std::size_t>(nombrePixels());
    // Sixteen pixels are six 64-bit words: the picture is stored six words at a time, a few
    // plain stores per sixteen pixels (a block copy would move it byte by byte).
    constexpr std::size_t parMotif = 16;
    Pixel seize[parMotif];
    for (Pixel &p : seize) {
        p = couleur;
    }
    std::uint64_t motif[6];
    static_assert(sizeof(motif) == sizeof(seize), "sixteen pixels are six words");
    std::memcpy(motif, seize, sizeof(motif));

    unsigned char *octets = reinterpret_cast<unsigned char *>(pixels.get());
    std::size_t fait = 0;
    for (; fait + parMotif <= total; fait += parMotif, octets += sizeof(motif)) {
        std::memcpy(octets, motif, sizeof(motif));
    }
    for (; fait < total; ++fait) {
        pixels[fait] = couleur;
    }
}
