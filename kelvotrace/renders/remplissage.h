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

// The unit world normals where the rays of one row meet one object, one array per component.
struct LigneNormales {
    explicit LigneNormales(int largeur)
        : x(static_cast<std::size_t>(largeur)), y(x.size()), z(x.size()) {}

    Vecteur en(std::size_t c) const { return {x[c], y[c], z[c]}; }

    std::vector<float> x, y, z;
};

// The normals of an object for the row's rays in `colonnes`, each met at the parameter in
// `distance`: a loop without branches or calls, which the compiler may carry out on several
// pixels at once, each with the same roundings. Only the columns whose ray hit this object
// are read afterwards.
template <typename F, typename M>
void normalesObjet(LigneNormales &normales, const ObjetViseDe<F, M> &vise,
                   const std::vector<float> &distance, const Colonnes &colonnes,
                   const std::vector<float> &x, float y, const Vecteur &d) {
    // Copies, so that no store of the loop can change them.
    const Repere inverse = vise.objet->inverseForme;
    const Vecteur direction = d;
    for (int c = colonnes.premiere; c <= colonnes.derniere; ++c) {
        const std::size_t i = static_cast<std::size_t>(c);
        const Vecteur n = ombrage::surfaceTouchee(*vise.forme, inverse, Vecteur(x[i], y, 0.0f),
                                                  direction, distance[i])
                              .normale;
        normales.x[i] = n.x;
        normales.y[i] = n.y;
        normales.z[i] = n.z;
    }
}

// Casts the rays of `plage` along d against `scene` row by row, each row in three short passes:
// toucher(rayon) gives each ray's impact (an ImpactDe of the scene); then the normals at the
// impacts, object by object; then poser(rayon, vise, distance, surface) takes each ray's
// result, vise null for none. One long pass per pixel would wait on each pixel's square roots
// and divisions in turn; short passes let the processor overlap those of many pixels.
template <typename V, std::size_t N, typename T, typename P>
void parcourirImpacts(const std::array<V, N> &scene, const Plage &plage, int largeur,
                      int hauteur, const Vecteur &d, T &&toucher, P &&poser) {
    const std::vector<float> x = abscissesFenetre(largeur);
    // For each column: the index in the scene of the object hit (-1: none), the ray parameter.
    std::vector<int> objet(static_cast<std::size_t>(largeur));
    std::vector<float> distance(static_cast<std::size_t>(largeur));
    std::vector<LigneNormales> normales(N, LigneNormales(largeur));
    for (int l = plage.ligneMax; l >= plage.ligneMin; --l) {
        const float y = coordonneeFenetre(l, hauteur);
        const Colonnes colonnes = plage.colonnes(l);
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            const std::size_t i = static_cast<std::size_t>(c);
            const auto impact = toucher(RayonPixel{Vecteur(x[i], y, 0.0f), l, c});
            objet[i] = impact.vise ? static_cast<int>(impact.vise - scene.data()) : -1;
            distance[i] = impact.distance;
        }
        for (std::size_t k = 0; k < N; ++k) {
            const Plage &sienne = scene[k].plage;
            if (l >= sienne.ligneMin && l <= sienne.ligneMax) {
                normalesObjet(normales[k], scene[k], distance, sienne.colonnes(l), x, y, d);
            }
        }
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            const std::size_t i = static_cast<std::size_t>(c);
            const std::size_t k = static_cast<std::size_t>(objet[i]);
            const Vecteur o(x[i], y, 0.0f);
            const V *vise = objet[i] >= 0 ? &scene[k] : nullptr;
            const ombrage::Surface surface =
                vise ? ombrage::Surface{ombrage::pointTouche(o, d, distance[i]), normales[k].en(i)}
                     : ombrage::Surface{};
            poser(RayonPixel{o, l, c}, vise, distance[i], surface);
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
        [&](const RayonPixel &rayon) { return premierImpact(scene, rayon); },
        [&](const RayonPixel &rayon, const V *vise, float, const ombrage::Surface &surface) {
            if (vise != nullptr) {
                image.pixels[rayon.ligne * image.largeur + rayon.colonne] =
                    couleur(*vise, surface);
            }
        });
}
