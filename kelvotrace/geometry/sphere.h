// A sphere centred at the local origin.
#pragma once

#include <cmath>

#include "forme.h"

class Sphere final : public Forme {
  public:
    explicit Sphere(float rayon_) : rayon(rayon_) {}

    float intersection(const Vecteur &origine, const Vecteur &direction) const override;
    Vecteur normale(const Vecteur &point) const override { return normalise(point); }
    // Radius of a ball about the local origin that holds the whole sphere: intersection gives
    // -1.0 for every ray that passes clearly farther than this from the origin.
    float rayonEnglobant() const { return std::fabs(rayon); }

    float rayon; // only its square is used: a negative radius is the same sphere
};

// Defined here so that the renders' pixel loops can inline it.
inline float Sphere::intersection(const Vecteur &o, const Vecteur &d) const {
    const float a = produitScalaire(d, d);
    const float b = 2.0f * produitScalaire(o, d);

    // c and the discriminant in double: they decide the pixels whose ray starts on or next to
    // the surface, where t1 is within a hair of 0.
    const double oo = static_cast<double>(o.x) * o.x + static_cast<double>(o.y) * o.y +
                      static_cast<double>(o.z) * o.z;
    const double c = oo - static_cast<double>(rayon) * rayon;
    const float delta = static_cast<float>(static_cast<double>(b) * b - 4.0 * a * c);
    if (delta <= 0.0f) {
        return -1.0f; // no crossing, or a tangent ray
    }

    const double q = std::sqrt(static_cast<double>(delta));
    const float t1 = static_cast<float>((-b - q) / (2.0 * a));
    const float t2 = static_cast<float>((-b + q) / (2.0 * a));
    if (t1 > 0.0f && t1 < t2) {
        return t1;
    }
    return -1.0f; // origin inside the sphere, or the sphere wholly behind it
}
