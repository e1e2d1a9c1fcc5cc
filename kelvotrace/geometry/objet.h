// A scene object: a shape placed by one frame, painted by a material placed by another.
// It points to its shape and material without owning them; both must outlive it. Every member is
// const, so a frame and its inverse stay together once built.
#pragma once

#include "forme.h"
#include "materiau.h"
#include "repere.h"

// The world normal at a world point of a shape that inverseForme maps to its local frame:
// the local normal through the transpose of the inverse's linear part. A template, so that a
// caller that knows the shape's concrete type calls its normale directly.
template <typename F>
Vecteur normaleMonde(const F &forme, const Repere &inverseForme, const Vecteur &pointMonde) {
    const Vecteur n = forme.normale(inverseForme.appliquePoint(pointMonde));
    return {produitScalaire(inverseForme.i, n), produitScalaire(inverseForme.j, n),
            produitScalaire(inverseForme.k, n)};
}

struct Objet {
    // Both inverses are computed here, once, so no ray ever inverts a frame.
    // Throws RepereDegenere when either frame cannot be inverted.
    Objet(const Forme *forme_, const Repere &repereForme_, const Materiau *materiau_,
          const Repere &repereMateriau_)
        : forme(forme_), repereForme(repereForme_), inverseForme(repereForme_.inverse()),
          materiau(materiau_), repereMateriau(repereMateriau_),
          inverseMateriau(repereMateriau_.inverse()) {}

    // World-space normal at a world point of the surface; not of unit length in general.
    Vecteur normale(const Vecteur &pointMonde) const {
        return normaleMonde(*forme, inverseForme, pointMonde);
    }

    const Forme *const forme;
    const Repere repereForme;
    const Repere inverseForme;
    const Materiau *const materiau;
    const Repere repereMateriau;
    const Repere inverseMateriau;
};
