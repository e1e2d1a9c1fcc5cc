#include "renders.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

#include "ecriture.h"
#include "geometry/lampe.h"
#include "impact.h"
#include "ombrage.h"
#include "rangee.h"
#include "scene.h"

namespace {

// Whole-number depths, 100 at first: a row block of largeur + 1 entries for each row and one
// row more than the picture, the blocks one after the other. Each entry holds 100 minus its
// depth, so that memory fresh from the system, all zeros, already reads 100 everywhere: only
// the pages the passes reach are ever touched.
class TamponProfondeur {
  public:
    TamponProfondeur(int largeur, int hauteur)
        : parLigne(static_cast<std::size_t>(largeur) + 1),
          ecarts(static_cast<std::int32_t *>(std::calloc(
              parLigne * (static_cast<std::size_t>(hauteur) + 1), sizeof(std::int32_t)))) {
        if (ecarts == nullptr) {
            throw std::bad_alloc();
        }
    }

    std::int32_t lire(int ligne, int colonne) const { return 100 - ecarts[indice(ligne, colonne)]; }
    void ecrire(int ligne, int colonne, std::int32_t profondeur) {
        ecarts[indice(ligne, colonne)] = 100 - profondeur;
    }

  private:
    std::size_t indice(int ligne, int colonne) const {
        return static_cast<std::size_t>(ligne) * parLigne + static_cast<std::size_t>(colonne);
    }

    struct Liberer {
        void operator()(std::int32_t *p) const { std::free(p); }
    };
    std::size_t parLigne;
    std::unique_ptr<std::int32_t[], Liberer> ecarts;
};

constexpr float profondeurManquee = 101.0f; // beyond the initial 100: a miss never shows

// One pass of one object: a pixel takes the object's colour where the object is nearer than the
// whole-number depth stored there. A ray outside the columns that can meet the object misses,
// and a miss never passes the depth test: those pixels are left as they are.
void passe(const SphereColoree &objet, const Lampe &lampe, Image &image,
           TamponProfondeur &profondeur) {
    const Pixel fond{10, 10, 40};
    Rangee rangee = objet.rangee(image);
    for (int l = image.hauteur - 1; l >= 0; --l) {
        rangee.lancer(l);
        const Colonnes colonnes = rangee.colonnes();
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            const float t = rangee.distance(c);
            const bool touche = estImpact(t);
            // A parameter in (0, 0.001] is no hit, yet it still claims the pixel, at depth 0.
            const float candidate = touche || t != -1.0f ? t : profondeurManquee;

            if (static_cast<float>(profondeur.lire(l, c)) > candidate) {
                profondeur.ecrire(l, c, static_cast<std::int32_t>(candidate));
                Pixel &pixel = image.pixels[l * image.largeur + c];
                if (!touche) {
                    pixel = fond;
                    continue;
                }
                const Surface surface = rangee.surface(c);
                pixel =
                    couleurPhong(surface, objet.proprietes(surface.point), lampe, directionVisee);
            }
        }
    }
}

} // namespace

int testZbuf_Phong() {
    Image image(500, 500); // black where no object shows
    // In the order of the passes. Fractions of 255: 20, 70, 80, 200, 220 and 240.
    const SphereColoree devant(-40.0f, Vecteur(0.0f, -10.0f, 40.0f),
                               Vecteur(0.78431374f, 0.8627451f, 0.3137255f), Vecteur());
    const SphereColoree derriere(-55.0f, Vecteur(50.0f, -20.0f, 80.0f),
                                 Vecteur(0.8627451f, 0.078431375f, 0.078431375f),
                                 Vecteur(50.0f, -20.0f, 80.0f));
    const SphereColoree gauche(-25.0f, Vecteur(-130.0f, 0.0f, 80.0f),
                               Vecteur(0.078431375f, 0.27450982f, 0.78431374f),
                               Vecteur(-130.0f, 0.0f, 80.0f));
    const Lampe lampe(directionLampeScene(), Vecteur(0.8627451f, 0.9411765f, 0.9411765f));

    TamponProfondeur profondeur(image.largeur, image.hauteur);
    passe(devant, lampe, image, profondeur);
    passe(derriere, lampe, image, profondeur);
    passe(gauche, lampe, image, profondeur);
    return ecrireRendu(image, "testZbuf_Phong");
}
