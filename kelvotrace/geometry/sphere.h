// A sphere centred at the local origin.
#pragma once

#include "forme.h"

class Sphere final : public Forme {
public:
    explicit Sphere(float rayon_) : rayon(rayon_) {}

    float intersection(const Vecteur& origine, const Vecteur& direction) const override;
    Vecteur normale(const Vecteur& point) const override { return normalise(point); }

    float rayon; // only its square is used: a negative radius is the same sphere
};
