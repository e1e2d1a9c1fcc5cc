#include "renders.h"

#include <cstdint>
#include <vector>

#include "ecriture.h"
#include "geometry/sphere.h"
#include "impact.h"
#include "remplissage.h"
#include "scene.h"

namespace {

// Whole-number depths, one row block per row, a row and a column more than the picture.
using TamponProfondeur = std::vector<std::vector<std::int32_t>>;

constexpr float profondeurManquee = 101.0f; // beyond the initial 100: a miss never shows

// One pass of one object over the pixels its rays can meet (elsewhere a miss would change
// nothing): a pixel takes the object's colour where the object is nearer than the whole-number
// depth already stored there.
void passeObjet(const ObjetViseDe<Sphere, MateriauUniforme> &vise, const Lampe &lampe, Image &image,
                TamponProfondeur &profondeur) {
    using Vise = ObjetViseDe<Sphere, MateriauUniforme>;
    const Pixel fond{10, 10, 40};
    const std::array<Vise, 1> seul{vise};
    // The object's own parameter, hit or not.
    const auto sienne = [&](const auto &distance) {
        return ImpactDe<Vise>{&seul[0], vise.objet, distance(seul[0])};
    };
    const auto poser = [&](const RayonPixel &rayon, const ImpactDe<Vise> &impact,
                           const ombrage::Surface &surface) {
        const float t = impact.distance;
        const bool touche = estImpact(t);
        // A parameter in (0, 0.001] is no hit, yet it still claims the pixel, at depth 0.
        const float candidate = touche || t != -1.0f ? t : profondeurManquee;

        std::int32_t &stockee = profondeur[static_cast<std::size_t>(rayon.ligne)]
                                          [static_cast<std::size_t>(rayon.colonne)];
        if (static_cast<float>(stockee) > candidate) {
            stockee = static_cast<std::int32_t>(candidate);
            image.pixels[rayon.ligne * image.largeur + rayon.colonne] =
                touche ? couleurPhong(vise, surface, lampe, directionVisee) : fond;
        }
    };
    parcourirImpacts(seul, vise.plage, image.largeur, image.hauteur, directionVisee, sienne, poser);
}

} // namespace

int testZbuf_Phong() {
    const Sphere moyenne(-40.0f);
    const Sphere grande(-55.0f);
    const Sphere petite(-25.0f);
    Image image(500, 500);
    // Fractions of 255: 20, 70, 80, 200, 220 and 240.
    const MateriauUniforme vertJaune = materiauScene(Vecteur(0.78431374f, 0.8627451f, 0.3137255f));
    const MateriauUniforme rouge = materiauScene(Vecteur(0.8627451f, 0.078431375f, 0.078431375f));
    const MateriauUniforme bleu = materiauScene(Vecteur(0.078431375f, 0.27450982f, 0.78431374f));
    const Objet devant(&moyenne, Repere(Vecteur(0.0f, -10.0f, 40.0f)), &vertJaune, Repere());
    const Objet derriere(&grande, Repere(Vecteur(50.0f, -20.0f, 80.0f)), &rouge,
                         Repere(Vecteur(50.0f, -20.0f, 80.0f)));
    const Objet gauche(&petite, Repere(Vecteur(-130.0f, 0.0f, 80.0f)), &bleu,
                       Repere(Vecteur(-130.0f, 0.0f, 80.0f)));
    const Lampe lampe(directionLampeScene(), Vecteur(0.8627451f, 0.9411765f, 0.9411765f));

    TamponProfondeur profondeur(
        static_cast<std::size_t>(image.hauteur) + 1,
        std::vector<std::int32_t>(static_cast<std::size_t>(image.largeur) + 1, 100));
    for (const auto &vise : {viser(devant, moyenne, vertJaune, directionVisee, image),
                             viser(derriere, grande, rouge, directionVisee, image),
                             viser(gauche, petite, bleu, directionVisee, image)}) {
        passeObjet(vise, lampe, image, profondeur);
    }
    return ecrireRendu(image, "testZbuf_Phong");
}
