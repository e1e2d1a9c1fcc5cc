// A sphere centred at the local origin.
#pragma once

#include <cmath>

#include "forme.h"

class Sphere final : public Forme {
  public:
    explicit Sphere(float rayon_) : rayon(rayon_) {}

    float intersection(const Vecteur &origine, const Vecteur &direction) const override;

    // The same, where parDeuxA(x) gives x / (2 direction.direction) in double: the rays of one
    // direction share that divisor and may divide by it more cheaply (see DivisionExacte).
    template <typename Division>
    float intersection(const Vecteur &origine, const Vecteur &direction,
                       const Division &parDeuxA) const;
    Vecteur normale(const Vecteur &point) const override { return normalise(point); }
    // Radius of a ball about the local origin that holds the whole sphere: intersection gives
    // -1.0 for every ray that passes clearly farther than this from the origin.
    float rayonEnglobant() const { return std::fabs(rayon); }

    float rayon; // only its square is used: a negative radius is the same sphere
};

// Division of doubles by one divisor, rounded as x / divisor is. Where the divisor is a power of
// two whose reciprocal is a double, x times that reciprocal is the very same double (both are
// the one real x * 2^-k, rounded once), at a fraction of a division's cost.
class DivisionExacte {
  public:
    explicit DivisionExacte(double diviseur_) : diviseur(diviseur_) {
        int exposant = 0;
        // diviseur = 2^(exposant - 1); below 2^-1023 its reciprocal would overflow.
        puissanceDeDeux = std::frexp(diviseur, &exposant) == 0.5 && exposant >= -1022;
        inverse = puissanceDeDeux ? std::ldexp(1.0, 1 - exposant) : 0.0;
    }

    // Calls f with the cheapest function that divides as x / divisor does: a choice made once,
    // for a whole loop, not at every division.
    template <typename F> void avecDivision(const F &f) const {
        if (puissanceDeDeux) {
            f([r = inverse](double x) { return x * r; });
        } else {
            f([d = diviseur](double x) { return x / d; });
        }
    }

  private:
    double diviseur;
    double inverse;
    bool puissanceDeDeux;
};

// Defined here so that the renders' pixel loops can inline it.
inline float Sphere::intersection(const Vecteur &o, const Vecteur &d) const {
    const double deuxA = 2.0 * static_cast<double>(produitScalaire(d, d));
    return intersection(o, d, [deuxA](double x) { return x / deuxA; });
}

template <typename Division>
float Sphere::intersection(const Vecteur &o, const Vecteur &d, const Division &parDeuxA) const {
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
    const float t1 = static_cast<float>(parDeuxA(-b - q));
    const float t2 = static_cast<float>(parDeuxA(-b + q));
    if (t1 > 0.0f && t1 < t2) {
        return t1;
    }
    return -1.0f; // origin inside the sphere, or the sphere wholly behind it
}
