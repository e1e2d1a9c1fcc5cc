// The pixels whose rays can meet a shape: a range of rows and columns of the picture outside
// which every ray of the view provably misses it, so its intersection need not be computed.
#pragma once

#include "geometry/forme.h"
#include "geometry/repere.h"

struct Plage {
    int ligneMin;
    int ligneMax;
    int colonneMin;
    int colonneMax; // all inclusive; empty when a minimum exceeds its maximum

    bool contient(int ligne, int colonne) const {
        return ligne >= ligneMin && ligne <= ligneMax && colonne >= colonneMin &&
               colonne <= colonneMax;
    }

    bool vide() const { return ligneMin > ligneMax || colonneMin > colonneMax; }
};

// The smallest range that holds both.
inline Plage reunion(const Plage &a, const Plage &b) {
    if (a.vide()) {
        return b;
    }
    if (b.vide()) {
        return a;
    }
    return {a.ligneMin < b.ligneMin ? a.ligneMin : b.ligneMin,
            a.ligneMax > b.ligneMax ? a.ligneMax : b.ligneMax,
            a.colonneMin < b.colonneMin ? a.colonneMin : b.colonneMin,
            a.colonneMax > b.colonneMax ? a.colonneMax : b.colonneMax};
}

// The range for the rays of a largeur by hauteur picture of the view (rayon.h), once versLocal
// has mapped them into the shape's frame, where their direction is directionLocale. The whole
// picture when no bound can be derived.
Plage plageVisee(const Forme &forme, const Repere &versLocal, const Vecteur &directionLocale,
                 int largeur, int hauteur);
