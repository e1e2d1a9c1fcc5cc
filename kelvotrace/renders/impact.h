// Hit tests of world rays against scene objects.
#pragma once

#include <array>
#include <cstddef>

#include "geometry/objet.h"

// A ray parameter counts as a hit only beyond 0.001 (in double), so a ray that starts on a
// surface does not hit it again.
inline bool estImpact(float t) { return static_cast<double>(t) > 0.001; }

// The ray parameter at which the world ray (o, d) meets the object, or a value that is no hit.
inline float distanceImpact(const Objet& objet, const Vecteur& o, const Vecteur& d) {
    const Vecteur dl = objet.inverseForme.appliqueVecteur(d);
    const Vecteur ol = objet.inverseForme.appliquePoint(o);
    return objet.forme->intersection(ol, dl);
}

struct Impact {
    const Objet* objet = nullptr; // null: no object of the list is hit
    float distance = -1.0f;
};

// The first object of the list that the ray hits, in list order: a later object never wins,
// even when it is nearer along the ray.
template <std::size_t N>
Impact premierImpact(const std::array<const Objet*, N>& objets, const Vecteur& o, const Vecteur& d) {
    for (const Objet* objet : objets) {
        const float t = distanceImpact(*objet, o, d);
        if (estImpact(t)) {
            return {objet, t};
        }
    }
    return {};
}
