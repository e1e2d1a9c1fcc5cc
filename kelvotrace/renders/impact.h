// Hit tests of world rays against scene objects.
#pragma once

#include <array>
#include <cstddef>

#include "geometry/objet.h"

// A ray parameter counts as a hit only beyond 0.001 (in double), so a ray that starts on a
// surface does not hit it again.
inline bool estImpact(float t) { return static_cast<double>(t) > 0.001; }

// An object as the rays of one render meet it: they all share one direction, so its image in
// the object's local frame is computed once per render, not once per ray.
struct ObjetVise {
    const Objet *objet;
    Vecteur directionLocale;
};

inline ObjetVise viser(const Objet &objet, const Vecteur &d) {
    return {&objet, objet.inverseForme.appliqueVecteur(d)};
}

// The ray parameter at which the world ray from o meets the object, or a value that is no hit.
inline float distanceImpact(const ObjetVise &vise, const Vecteur &o) {
    const Vecteur ol = vise.objet->inverseForme.appliquePoint(o);
    return vise.objet->forme->intersection(ol, vise.directionLocale);
}

inline float distanceImpact(const Objet &objet, const Vecteur &o, const Vecteur &d) {
    return distanceImpact(viser(objet, d), o);
}

struct Impact {
    const Objet *objet = nullptr; // null: no object of the list is hit
    float distance = -1.0f;
};

// The first object of the list that the ray from o hits, in list order: a later object never
// wins, even when it is nearer along the ray.
template <std::size_t N>
Impact premierImpact(const std::array<ObjetVise, N> &objets, const Vecteur &o) {
    for (const ObjetVise &vise : objets) {
        const float t = distanceImpact(vise, o);
        if (estImpact(t)) {
            return {vise.objet, t};
        }
    }
    return {};
}
