// Hit tests of world rays against scene objects.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>

#include "geometry/objet.h"
#include "plage.h"
#include "rayon.h"

// A ray parameter counts as a hit only beyond 0.001 (in double), so a ray that starts on a
// surface does not hit it again.
inline bool estImpact(float t) { return static_cast<double>(t) > 0.001; }

// A shape as the rays of one render meet it: they all share one direction, so its image in the
// shape's local frame is computed once per render, not once per ray, and so is the range of
// pixels whose rays can meet it at all. F and M are the shape's and the material's types: where
// a render names the concrete ones, the calls of its pixel loop go straight to them and inline.
template <typename F, typename M> struct ObjetViseDe {
    const Objet *objet; // null when the render aims at a bare shape
    const F *forme;
    const M *materiau; // null with a bare shape
    const Repere *versLocal;
    Vecteur directionLocale;
    Plage plage;
};

using ObjetVise = ObjetViseDe<Forme, Materiau>;

// A bare shape, with versLocal the map from world to its coordinates, aimed at by the rays of
// direction d that colour `image`.
template <typename F>
ObjetViseDe<F, Materiau> viser(const F &forme, const Repere &versLocal, const Vecteur &d,
                               const Image &image) {
    const Vecteur dl = versLocal.appliqueVecteur(d);
    return {nullptr, &forme, nullptr, &versLocal, dl,
            plageVisee(forme, versLocal, dl, image.largeur, image.hauteur)};
}

// An object whose shape and material are `forme` and `materiau`, seen with their own types.
template <typename F, typename M>
ObjetViseDe<F, M> viser(const Objet &objet, const F &forme, const M &materiau, const Vecteur &d,
                        const Image &image) {
    assert(objet.forme == &forme && objet.materiau == &materiau);
    const auto vise = viser(forme, objet.inverseForme, d, image);
    return {&objet, &forme, &materiau, vise.versLocal, vise.directionLocale, vise.plage};
}

inline ObjetVise viser(const Objet &objet, const Vecteur &d, const Image &image) {
    return viser(objet, *objet.forme, *objet.materiau, d, image);
}

// The ray parameter at which the ray from world point `origine` meets the shape: for the rays
// of the shape's own range, which need no test of it.
template <typename F, typename M>
float distanceDansPlage(const ObjetViseDe<F, M> &vise, const Vecteur &origine) {
    return vise.forme->intersection(vise.versLocal->appliquePoint(origine), vise.directionLocale);
}

// The ray parameter at which the ray of a pixel meets the shape, or a value that is no hit:
// -1.0 without any test outside the shape's range.
template <typename F, typename M>
float distanceImpact(const ObjetViseDe<F, M> &vise, const RayonPixel &rayon) {
    if (!vise.plage.contient(rayon.ligne, rayon.colonne)) {
        return -1.0f;
    }
    return distanceDansPlage(vise, rayon.origine);
}

// The same, tested in full: for a world ray from o along d, whatever pixel it belongs to.
inline float distanceImpact(const Objet &objet, const Vecteur &o, const Vecteur &d) {
    return objet.forme->intersection(objet.inverseForme.appliquePoint(o),
                                     objet.inverseForme.appliqueVecteur(d));
}

template <typename V> struct ImpactDe {
    const V *vise = nullptr;      // null: no object of the list is hit
    const Objet *objet = nullptr; // its object
    float distance = -1.0f;
};

using Impact = ImpactDe<ObjetVise>;

// The pixels whose rays can meet an object of the list.
template <typename V, std::size_t N> Plage plageCommune(const std::array<V, N> &objets) {
    Plage plage{0, -1, 0, -1};
    for (const V &vise : objets) {
        plage = reunion(plage, vise.plage);
    }
    return plage;
}

// The first object of the list that the ray hits, in list order: a later object never wins,
// even when it is nearer along the ray.
template <typename V, std::size_t N>
ImpactDe<V> premierImpact(const std::array<V, N> &objets, const RayonPixel &rayon) {
    for (const V &vise : objets) {
        const float t = distanceImpact(vise, rayon);
        if (estImpact(t)) {
            return {&vise, vise.objet, t};
        }
    }
    return {};
}
