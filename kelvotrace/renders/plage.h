// The culling of the rays. The pixels whose rays can meet a shape: a range of rows and columns
// of the picture outside which every ray of the view provably misses it, so its intersection
// need not be computed. And each shape as the rays of one render meet it, with its range.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

#include <array>
#include <cassert>

#include "geometry/forme.h"
#include "geometry/objet.h"
#include "geometry/repere.h"
#include "image/image.h"

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

// The range for the rays of a largeur by hauteur picture of the view (vue.h), once versLocal
// has mapped them into the frame of a shape held in a ball of radius rayonEnglobant about its
// origin, where their direction is directionLocale. The whole picture when no bound can be
// derived (an infinite radius among them).
Plage plageVisee(float rayonEnglobant, const Repere &versLocal, const Vecteur &directionLocale,
                 int largeur, int hauteur);

// The radius of a ball about a shape's local origin that holds it, where its type tells one; a
// shape known only through its interface has none, and every ray is cast at it.
template <typename F> float rayonEnglobant(const F &forme) { return forme.rayonEnglobant(); }
inline float rayonEnglobant(const Forme &) { return std::numeric_limits<float>::infinity(); }

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
    return {
        nullptr, &forme,
        nullptr, &versLocal,
        dl,      plageVisee(rayonEnglobant(forme), versLocal, dl, image.largeur, image.hauteur)};
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

// The pixels whose rays can meet an object of the list.
template <typename V, std::size_t N> Plage plageCommune(const std::array<V, N> &objets) {
    Plage plage{0, -1, 0, -1};
    for (const V &vise : objets) {
        plage = reunion(plage, vise.plage);
    }
    return plage;
}
