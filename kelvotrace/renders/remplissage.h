// How a render fills its picture: the pixels outside the range its rays can meet take the
// background at once; the rays of the range are cast from the last row and column backwards.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "image/image.h"
#include "impact.h"
#include "ombrage.h"
#include "plage.h"
#include "vue.h"

// Gives every pixel of `plage` the colour that couleurRayon(rayon) returns for its ray, and
// every other pixel `fond`. For the renders that need no surface at their hits.
template <typename C>
void remplirImage(Image &image, const Plage &plage, const Pixel &fond, C &&couleurRayon) {
    image.remplir(fond);
    const std::vector<float> x = abscissesFenetre(image.largeur);
    for (int l = plage.ligneMax; l >= plage.ligneMin; --l) {
        const float y = coordonneeFenetre(l, image.hauteur);
        const Colonnes colonnes = plage.colonnes(l);
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            image.pixels[l * image.largeur + c] =
                couleurRayon(RayonPixel{Vecteur(x[static_cast<std::size_t>(c)], y, 0.0f), l, c});
        }
    }
}

// What the rays of one row meet on one object, by column: the ray parameter, and the unit
// world normal at the point of that parameter, one array per component.
struct LigneObjet {
    explicit LigneObjet(int largeur)
        : distance(static_cast<std::size_t>(largeur)), nx(distance.size()), ny(distance.size()),
          nz(distance.size()) {}

    Vecteur normale(std::size_t c) const { return {nx[c], ny[c], nz[c]}; }

    std::vector<float> distance;
    std::vector<float> nx, ny, nz;
};

// The rays along d of the row's columns in `colonnes` against one object: the parameter at
// which each meets its shape, then the normal there. Two loops without branches or calls,
// which the compiler may carry out on several pixels at once, each with the same roundings.
template <typename F, typename M>
void toucherObjet(LigneObjet &ligne, const ObjetViseDe<F, M> &vise, const Colonnes &colonnes,
                  const std::vector<float> &x, float y, const Vecteur &d) {
    // Copies, so that no store of the loops can change them.
    const F forme = *vise.forme;
    const Repere versLocal = *vise.versLocal;
    const Vecteur directionLocale = vise.directionLocale;
    const Repere inverse = vise.objet->inverseForme;
    const Vecteur direction = d;
    for (int c = colonnes.premiere; c <= colonnes.derniere; ++c) {
        const std::size_t i = static_cast<std::size_t>(c);
        ligne.distance[i] =
            distanceLocale(forme, versLocal, directionLocale, Vecteur(x[i], y, 0.0f));
    }
    for (int c = colonnes.premiere; c <= colonnes.derniere; ++c) {
        const std::size_t i = static_cast<std::size_t>(c);
        const Vecteur n = ombrage::surfaceTouchee(forme, inverse, Vecteur(x[i], y, 0.0f), direction,
                                                  ligne.distance[i])
                              .normale;
        ligne.nx[i] = n.x;
        ligne.ny[i] = n.y;
        ligne.nz[i] = n.z;
    }
}

// Casts the rays of `plage` along d against `scene` row by row. First each object meets the
// rays of its own range in the row (toucherObjet); then, for each ray from the last column
// back, choisir(distance) picks its impact (an ImpactDe of the scene) from distance(vise), the
// parameter at which the ray meets an object (-1.0 outside the object's range), and
// poser(rayon, impact, surface) takes it, with the world point and unit normal there. One long
// pass per pixel would wait on each pixel's square roots and divisions in turn; short passes
// let the processor overlap those of many pixels.
template <typename V, std::size_t N, typename C, typename P>
void parcourirImpacts(const std::array<V, N> &scene, const Plage &plage, int largeur, int hauteur,
                      const Vecteur &d, C &&choisir, P &&poser) {
    const std::vector<float> x = abscissesFenetre(largeur);
    std::vector<LigneObjet> lignes(N, LigneObjet(largeur));
    for (int l = plage.ligneMax; l >= plage.ligneMin; --l) {
        const float y = coordonneeFenetre(l, hauteur);
        for (std::size_t k = 0; k < N; ++k) {
            const Plage &sienne = scene[k].plage;
            if (l >= sienne.ligneMin && l <= sienne.ligneMax) {
                toucherObjet(lignes[k], scene[k], sienne.colonnes(l), x, y, d);
            }
        }
        const Colonnes colonnes = plage.colonnes(l);
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            const std::size_t i = static_cast<std::size_t>(c);
            const auto ligneDe = [&](const V &vise) -> const LigneObjet & {
                return lignes[static_cast<std::size_t>(&vise - scene.data())];
            };
            const ImpactDe<V> impact = choisir([&](const V &vise) {
                return vise.plage.contient(l, c) ? ligneDe(vise).distance[i] : -1.0f;
            });
            const Vecteur o(x[i], y, 0.0f);
            const ombrage::Surface surface =
                impact.vise ? ombrage::Surface{ombrage::pointTouche(o, d, impact.distance),
                                               ligneDe(*impact.vise).normale(i)}
                            : ombrage::Surface{};
            poser(RayonPixel{o, l, c}, impact, surface);
        }
    }
}

// Gives every pixel whose ray hits an object of `scene` the colour couleur(vise, surface) of
// the first object it hits in list order, and every other pixel `fond`.
template <typename V, std::size_t N, typename C>
void remplirImage(Image &image, const std::array<V, N> &scene, const Pixel &fond, C &&couleur) {
    image.remplir(fond);
    parcourirImpacts(
        scene, plageCommune(scene), image.largeur, image.hauteur, directionVisee,
        [&](const auto &distance) { return premierImpactDe(scene, distance); },
        [&](const RayonPixel &rayon, const ImpactDe<V> &impact, const ombrage::Surface &surface) {
            if (impact.vise != nullptr) {
                image.pixels[rayon.ligne * image.largeur + rayon.colonne] =
                    couleur(*impact.vise, surface);
            }
        });
}
