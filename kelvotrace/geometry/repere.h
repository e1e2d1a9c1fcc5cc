// An affine frame: axes i, j, k (the columns of the linear part) and the translation origine.
// A frame that places something maps its local coordinates to world coordinates.
#pragma once

#include "vecteur.h"

// Thrown by Repere::inverse for a frame too close to singular to invert.
struct RepereDegenere {};

struct Repere {
    Vecteur i{1.0f, 0.0f, 0.0f};
    Vecteur j{0.0f, 1.0f, 0.0f};
    Vecteur k{0.0f, 0.0f, 1.0f};
    Vecteur origine;

    Repere() = default;
    explicit Repere(const Vecteur &origine_) : origine(origine_) {}
    Repere(const Vecteur &i_, const Vecteur &j_, const Vecteur &k_, const Vecteur &origine_)
        : i(i_), j(j_), k(k_), origine(origine_) {}

    Vecteur appliquePoint(const Vecteur &p) const {
        return {p.x * i.x + p.y * j.x + p.z * k.x + origine.x,
                p.x * i.y + p.y * j.y + p.z * k.y + origine.y,
                p.x * i.z + p.y * j.z + p.z * k.z + origine.z};
    }

    Vecteur appliqueVecteur(const Vecteur &v) const {
        return {v.x * i.x + v.y * j.x + v.z * k.x, v.x * i.y + v.y * j.y + v.z * k.y,
                v.x * i.z + v.y * j.z + v.z * k.z};
    }

    // The frame that maps world coordinates back to local ones. Throws RepereDegenere.
    Repere inverse() const;
};
