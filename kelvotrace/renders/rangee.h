// The rays of one row of the picture against one sphere. A render fills it for each row
// (lancer), then reads it column by column: the ray parameter, and the surface where it hits.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "geometry/sphere.h"
#include "image/image.h"
#include "plage.h"
#include "surface.h"

// A sphere as the rays of one render meet it, all along one direction: the map from world to
// sphere coordinates, the direction in both, and the division by 2 d.d of its intersections,
// the same for every ray.
struct Visee {
    Sphere sphere;
    Repere inverseForme;
    Vecteur direction;       // world
    Vecteur directionLocale; // the sphere's
    DivisionExacte parDeuxA;
};

// Whether a render reads the normals at the hits: a render that does not shade is spared them.
enum class Normales { sans, avec };

class Rangee {
  public:
    // The rays along d of `image` against the sphere that inverseForme maps world coordinates
    // into. They all share one direction, so its image in the sphere's frame, and the columns
    // of each row whose rays can meet the sphere at all, are found here, once.
    Rangee(const Sphere &sphere, const Repere &inverseForme, const Vecteur &d, const Image &image,
           Normales normales = Normales::avec);

    // Casts the rays of row `ligne` that can meet the sphere.
    void lancer(int ligne);

    // The columns cast in the row: every other ray of the row misses the sphere.
    Colonnes colonnes() const { return lancees; }

    // The ray parameter in column c; -1.0, a miss, outside colonnes().
    float distance(int c) const {
        return c < lancees.premiere || c > lancees.derniere ? -1.0f : t[indice(c)];
    }

    // The world point where the ray of column c meets the sphere.
    Vecteur point(int c) const {
        const std::size_t i = indice(c);
        return t[i] * visee.direction + Vecteur(x[i], y, 0.0f);
    }

    // That point and the unit world normal there (Normales::avec).
    Surface surface(int c) const {
        const std::size_t i = indice(c);
        return {point(c), Vecteur(nx[i], ny[i], nz[i])};
    }

  private:
    static std::size_t indice(int c) { return static_cast<std::size_t>(c); }
    static constexpr int parGroupe = 8; // columns in one vector of floats (AVX2)

    const Visee visee;
    const int hauteur;
    const Plage plage;
    const Normales normales;
    const std::vector<float> x; // the window abscissa of each column

    float y = 0.0f; // the window ordinate of the row
    Colonnes lancees{0, -1};
    std::vector<float> t, nx, ny, nz; // by column
};

// The columns of a row that any of the rangees cast.
template <typename Liste> Colonnes colonnesDe(const Liste &rangees) {
    Colonnes toutes{0, -1};
    for (const Rangee &rangee : rangees) {
        const Colonnes c = rangee.colonnes();
        if (c.premiere > c.derniere) {
            continue;
        }
        toutes = toutes.premiere > toutes.derniere
                     ? c
                     : Colonnes{std::min(toutes.premiere, c.premiere),
                                std::max(toutes.derniere, c.derniere)};
    }
    return toutes;
}
