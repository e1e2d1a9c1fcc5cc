// Shading: the colour of a pixel whose ray hit a surface, from the surface and the material's
// properties there.
#pragma once

#include <cmath>

#include "geometry/lampe.h"
#include "geometry/materiau.h"
#include "image/octet_couleur.h"
#include "image/pixel.h"
#include "surface.h"

namespace ombrage {

inline Vecteur versLampe(const Lampe &lampe) { return -1.0f * lampe.direction; }

// a . b, with a value below 0 taken as 0 (a surface turned away gets nothing).
inline float cosinusPositif(const Vecteur &a, const Vecteur &b) {
    const float c = produitScalaire(a, b);
    return c < 0.0f ? 0.0f : c;
}

// c to the power e, in double, rounded to float. For a whole e from 1 to 8 and a c from 0 to 2
// (a cosine), by multiplication: for every such float c this gives the very float that pow
// gives, each one checked, in a few instructions instead of a hundred, and the same on every
// machine. Any other power is pow's.
inline float puissance(float c, float e) {
    if (c >= 0.0f && c <= 2.0f && e >= 1.0f && e <= 8.0f && e == std::floor(e)) {
        double resultat = 1.0;
        double facteur = c;
        for (int k = static_cast<int>(e); k != 0; k >>= 1) {
            if ((k & 1) != 0) {
                resultat *= facteur;
            }
            facteur *= facteur;
        }
        return static_cast<float>(resultat);
    }
    return static_cast<float>(std::pow(static_cast<double>(c), static_cast<double>(e)));
}

inline Pixel pixelDe(float r, float g, float b) {
    return {octetCouleur(r), octetCouleur(g), octetCouleur(b)};
}

} // namespace ombrage

// Headlight, for a ray along d: the material colour times the cosine between the unit normal
// and -d.
inline Pixel couleurImpact(const Surface &surface, const ProprietesMateriau &materiau,
                           const Vecteur &d) {
    const float s = produitScalaire(-1.0f * d, surface.normale); // not clamped
    const Vecteur &c = materiau.couleur;
    return ombrage::pixelDe(c.x * s, c.y * s, c.z * s);
}

// Diffuse light from a directional lamp, tinted by the lamp's colour.
inline Pixel couleurLampe(const Surface &surface, const ProprietesMateriau &materiau,
                          const Lampe &lampe) {
    const float cd = ombrage::cosinusPositif(ombrage::versLampe(lampe), surface.normale);
    const Vecteur &c = materiau.couleur;
    const Vecteur lumiere = lampe.intensite(surface.point);
    return ombrage::pixelDe((c.x * cd) * lumiere.x, (c.y * cd) * lumiere.y, (c.z * cd) * lumiere.z);
}

// Phong, for a ray along d: diffuse weighted by 0.9, plus a specular highlight in the lamp's
// colour.
inline Pixel couleurPhong(const Surface &surface, const ProprietesMateriau &materiau,
                          const Lampe &lampe, const Vecteur &d) {
    using namespace ombrage;
    const Vecteur l = versLampe(lampe);
    const float cd = cosinusPositif(l, surface.normale);

    const Vecteur reflet = (2.0f * cd) * surface.normale - l;
    const Vecteur versObservateur = -1.0f * d;
    const float cs = cosinusPositif(reflet, versObservateur);

    const float s = puissance(cs, materiau.exposantSpeculaire);
    const Vecteur lumiere = lampe.intensite(surface.point);
    const float diffus = 0.9f; // the render's own weight, not a material value

    const auto canal = [&](float lk, float ck) {
        return diffus * ((lk * cd) * ck) + materiau.coefSpeculaire * (lk * s);
    };
    return pixelDe(canal(lumiere.x, materiau.couleur.x), canal(lumiere.y, materiau.couleur.y),
                   canal(lumiere.z, materiau.couleur.z));
}
