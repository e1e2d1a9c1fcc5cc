// Hit tests of world rays against scene objects.
#pragma once

#include <array>
#include <cstddef>

#include "geometry/objet.h"
#include "plage.h"
#include "rayon.h"

// A ray parameter counts as a hit only beyond 0.001 (in double), so a ray that starts on a
// surface does not hit it again.
inline bool estImpact(float t) { return static_cast<double>(t) > 0.001; }

// A shape as the rays of one render meet it: they all share one direction, so its image in the
// shape's local frame is computed once per render, not once per ray, and so is the range of
// pixels whose rays can meet it at all.
struct ObjetVise {
    const Objet *objet; // null when the render aims at a bare shape
    const Forme *forme;
    const Repere *versLocal;
    Vecteur directionLocale;
    Plage plage;
};

// A bare shape, with versLocal the map from world to its coordinates, aimed at by the rays of
// direction d that colour `image`.
inline ObjetVise viser(const Forme &forme, const Repere &versLocal, const Vecteur &d,
                       const Image &image) {
    const Vecteur dl = versLocal.appliqueVecteur(d);
    return {nullptr, &forme, &versLocal, dl,
            plageVisee(forme, versLocal, dl, image.largeur, image.hauteur)};
}

inline ObjetVise viser(const Objet &objet, const Vecteur &d, const Image &image) {
    ObjetVise vise = viser(*objet.forme, objet.inverseForme, d, image);
    vise.objet = &objet;
    return vise;
}

// The ray parameter at which the ray of a pixel meets the shape, or a value that is no hit:
// -1.0 without any test outside the shape's range.
inline float distanceImpact(const ObjetVise &vise, const RayonPixel &rayon) {
    if (!vise.plage.contient(rayon.ligne, rayon.colonne)) {
        return -1.0f;
    }
    const Vecteur ol = vise.versLocal->appliquePoint(rayon.origine);
    return vise.forme->intersection(ol, vise.directionLocale);
}

// The same, tested in full: for a world ray from o along d, whatever pixel it belongs to.
inline float distanceImpact(const Objet &objet, const Vecteur &o, const Vecteur &d) {
    return objet.forme->intersection(objet.inverseForme.appliquePoint(o),
                                     objet.inverseForme.appliqueVecteur(d));
}

struct Impact {
    const Objet *objet = nullptr; // null: no object of the list is hit
    float distance = -1.0f;
};

// The pixels whose rays can meet an object of the list.
template <std::size_t N> Plage plageCommune(const std::array<ObjetVise, N> &objets) {
    Plage plage{0, -1, 0, -1};
    for (const ObjetVise &vise : objets) {
        plage = reunion(plage, vise.plage);
    }
    return plage;
}

// The first object of the list that the ray hits, in list order: a later object never wins,
// even when it is nearer along the ray.
template <std::size_t N>
Impact premierImpact(const std::array<ObjetVise, N> &objets, const RayonPixel &rayon) {
    for (const ObjetVise &vise : objets) {
        const float t = distanceImpact(vise, rayon);
        if (estImpact(t)) {
            return {vise.objet, t};
        }
    }
    return {};
}
