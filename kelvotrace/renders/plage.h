// The pixels whose rays can meet a shape: a range of rows and columns of the picture outside
// which every ray of the view provably misses it, so its intersection need not be computed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "geometry/forme.h"
#include "geometry/repere.h"

// Columns of one row, both inclusive; none when premiere exceeds derniere.
struct Colonnes {
    int premiere;
    int derniere;
};

struct Plage {
    int ligneMin;
    int ligneMax;
    int colonneMin;
    int colonneMax; // all inclusive; empty when a minimum exceeds its maximum
    // Narrower columns row by row, from row ligneMin on: a disc's rows, not its square. None:
    // every row spans colonneMin to colonneMax.
    std::vector<Colonnes> parLigne = {};

    Colonnes colonnes(int ligne) const {
        return parLigne.empty() ? Colonnes{colonneMin, colonneMax}
                                : parLigne[static_cast<std::size_t>(ligne - ligneMin)];
    }

    bool contient(int ligne, int colonne) const {
        if (ligne < ligneMin || ligne > ligneMax) {
            return false;
        }
        const Colonnes c = colonnes(ligne);
        return colonne >= c.premiere && colonne <= c.derniere;
    }

    bool vide() const { return ligneMin > ligneMax || colonneMin > colonneMax; }
};

// The smallest range that holds both, row by row.
inline Plage reunion(const Plage &a, const Plage &b) {
    if (a.vide()) {
        return b;
    }
    if (b.vide()) {
        return a;
    }
    Plage r{std::min(a.ligneMin, b.ligneMin), std::max(a.ligneMax, b.ligneMax),
            std::min(a.colonneMin, b.colonneMin), std::max(a.colonneMax, b.colonneMax)};
    r.parLigne.reserve(static_cast<std::size_t>(r.ligneMax - r.ligneMin + 1));
    for (int l = r.ligneMin; l <= r.ligneMax; ++l) {
        Colonnes c{r.colonneMax + 1, r.colonneMin - 1};
        for (const Plage *p : {&a, &b}) {
            if (l < p->ligneMin || l > p->ligneMax) {
                continue;
            }
            const Colonnes cp = p->colonnes(l);
            if (cp.premiere <= cp.derniere) {
                c = {std::min(c.premiere, cp.premiere), std::max(c.derniere, cp.derniere)};
            }
        }
        r.parLigne.push_back(c);
    }
    return r;
}

// The range for the rays of a largeur by hauteur picture of the view (rayon.h), once versLocal
// has mapped them into the shape's frame, where their direction is directionLocale. The whole
// picture when no bound can be derived.
Plage plageVisee(const Forme &forme, const Repere &versLocal, const Vecteur &directionLocale,
                 int largeur, int hauteur);
