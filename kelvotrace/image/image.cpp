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

// Pictures are made one after another, each about as large as the one before. The block of the
// one released last is kept for the next, so that its pages, touched once, are not mapped and
// zeroed by the system again (a page fault each). Blocks come in whole mebibytes, so that a
// somewhat larger picture still fits: pages no picture reaches are never touched, and cost
// nothing. The pictures are made in one thread. The reserve has nothing to undo at exit (the
// kept block goes with the process), so it needs no destructor registered at start, a
// registration that can itself fail for want of memory.
class Reserve {
  public:
    // A block of at least `octets` bytes; its size in `capacite`.
    Pixel *prendre(std::size_t octets, std::size_t &capacite) {
        if (bloc == nullptr || taille < octets) {
            ::operator delete(bloc);
            bloc = nullptr; // before the allocation, which may throw
            constexpr std::size_t mebioctet = std::size_t{1} << 20;
            taille = (octets + mebioctet - 1) / mebioctet * mebioctet;
            bloc = ::operator new(taille);
        }
        capacite = taille;
        void *pris = bloc;
        bloc = nullptr;
        return static_cast<Pixel *>(pris);
    }

    void rendre(Pixel *p, std::size_t capacite) {
        if (bloc != nullptr && taille >= capacite) {
            ::operator delete(p);
            return;
        }
        ::operator delete(bloc);
        bloc = p;
        taille = capacite;
    }

  private:
    void *bloc = nullptr;
    std::size_t taille = 0;
};

Reserve reserve;

std::unique_ptr<Pixel[], Image::Rendre> blocPour(int nombrePixels) {
    std::size_t capacite = 0;
    Pixel *bloc = reserve.prendre(static_cast<std::size_t>(nombrePixels) * sizeof(Pixel), capacite);
    return {bloc, Image::Rendre{capacite}};
}

} // namespace

// The pixels are written once, with `fond`, not first zeroed by a constructor and then again.
Image::Image(std::int16_t largeur_, std::int16_t hauteur_, const Pixel &fond)
    : largeur(largeur_), hauteur(hauteur_), pixels(blocPour(nombrePixelsDe(largeur_, hauteur_))) {
    remplir(pixels.get(), static_cast<std::size_t>(nombrePixels()), fond);
}

void Image::Rendre::operator()(Pixel *p) const { reserve.rendre(p, capacite); }

int Image::nombrePixels() const { return nombrePixelsDe(largeur, hauteur); }
