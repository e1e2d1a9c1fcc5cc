// The culling of the rays: for each row of a picture, the columns whose rays can meet a sphere.
// Outside them every ray of the view provably misses it, so its intersection need not be
// computed.
#pragma once

#include <cstddef>
#include <vector>

#include "geometry/repere.h"

// Columns of one row, both inclusive; none when premiere exceeds derniere.
struct Colonnes {
    int premiere;
    int derniere;
};

struct Plage {
    int ligneMin;
    std::vector<Colonnes> parLigne; // from row ligneMin on; a row outside has no column

    Colonnes colonnes(int ligne) const {
        const int k = ligne - ligneMin;
        if (k < 0 || k >= static_cast<int>(parLigne.size())) {
            return {0, -1};
        }
        return parLigne[static_cast<std::size_t>(k)];
    }
};

// The columns, row by row, for the rays of a largeur by hauteur picture of the view (vue.h),
// once inverseForme has mapped them into the frame of a shape held in a ball of radius
// rayonEnglobant about its origin, where their direction is directionLocale. The whole picture
// when no bound can be derived (an infinite radius among them).
Plage plageVisee(float rayonEnglobant, const Repere &inverseForme, const Vecteur &directionLocale,
                 int largeur, int hauteur);
