// Hit tests of world rays against scene objects.
#pragma once

#include <array>
#include <cstddef>

#include "geometry/objet.h"
#include "plage.h"
#include "vue.h"

// A ray parameter counts as a hit only beyond 0.001 (in double), so a ray that starts on a
// surface does not hit it again.
inline bool estImpact(float t) { return static_cast<double>(t) > 0.001; }

// The ray parameter at which the ray from world point `origine` meets a shape that versLocal
// maps into, where the rays' common direction is directionLocale.
template <typename F>
float distanceLocale(const F &forme, const Repere &versLocal, const Vecteur &directionLocale,
                     const Vecteur &origine) {
    return forme.intersection(versLocal.appliquePoint(origine), directionLocale);
}

// The same for a shape as a render's rays meet it: for the rays of the shape's own range, which
// need no test of it.
template <typename F, typename M>
float distanceDansPlage(const ObjetViseDe<F, M> &vise, const Vecteur &origine) {
    return distanceLocale(*vise.forme, *vise.versLocal, vise.directionLocale, origine);
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

// The first object of the list that a ray hits, in list order, given distance(vise), the
// parameter at which the ray meets each: a later object never wins, even when it is nearer
// along the ray.
template <typename V, std::size_t N, typename D>
ImpactDe<V> premierImpactDe(const std::array<V, N> &objets, D &&distance) {
    for (const V &vise : objets) {
        const float t = distance(vise);
        if (estImpact(t)) {
            return {&vise, vise.objet, t};
        }
    }
    return {};
}

// The first object of the list that the ray of a pixel hits.
template <typename V, std::size_t N>
ImpactDe<V> premierImpact(const std::array<V, N> &objets, const RayonPixel &rayon) {
    return premierImpactDe(objets, [&](const V &vise) { return distanceImpact(vise, rayon); });
}
