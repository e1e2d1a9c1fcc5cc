// Shading of a hit: the colour of the pixel whose ray met an object, from the surface there.
// Each rule is written once, over the shape's and the material's types: the renders pass the
// concrete ones (direct calls, inlined), the plain Objet forms the interfaces.
#pragma once

#include <cmath>

#include "geometry/lampe.h"
#include "geometry/objet.h"
#include "image/octet_couleur.h"
#include "image/pixel.h"
#include "impact.h"

namespace ombrage {

struct Surface {
    Vecteur point;   // world hit point
    Vecteur normale; // unit world normal there
};

// The world point where the ray (o, d) meets a shape at parameter t, and the unit world normal
// there; inverseForme maps world coordinates to the shape's.
inline Vecteur pointTouche(const Vecteur &o, const Vecteur &d, float t) { return t * d + o; }

template <typename F>
Surface surfaceTouchee(const F &forme, const Repere &inverseForme, const Vecteur &o,
                       const Vecteur &d, float t) {
    const Vecteur p = pointTouche(o, d, t);
    return {p, normalise(normaleMonde(forme, inverseForme, p))};
}

// The material at a world point, looked up in the material's frame.
template <typename F, typename M>
ProprietesMateriau materiauEn(const ObjetViseDe<F, M> &vise, const Vecteur &point) {
    return vise.materiau->proprietes(vise.objet->inverseMateriau.appliquePoint(point));
}

inline Vecteur versLampe(const Lampe &lampe) { return -1.0f * lampe.direction; }

// a . b, with a value below 0 taken as 0 (a surface turned away gets nothing).
inline float cosinusPositif(const Vecteur &l, const Vecteur &n) {
    const float cd = produitScalaire(l, n);
    return cd < 0.0f ? 0.0f : cd;
}

inline Pixel pixelDe(float r, float g, float b) {
    return {octetCouleur(r), octetCouleur(g), octetCouleur(b)};
}

// The plain object seen through its interfaces.
inline ObjetVise parInterfaces(const Objet &objet) {
    return {&objet, objet.forme, objet.materiau, &objet.inverseForme, Vecteur(), Plage{}};
}

} // namespace ombrage

// Each rule colours the surface that a ray along d hit on an object.

// Headlight: the material colour times the cosine between the unit normal and -d.
template <typename F, typename M>
Pixel couleurImpact(const ObjetViseDe<F, M> &vise, const ombrage::Surface &surface,
                    const Vecteur &d) {
    const float s = produitScalaire(-1.0f * d, surface.normale); // not clamped
    const Vecteur c = ombrage::materiauEn(vise, surface.point).couleur;
    return ombrage::pixelDe(c.x * s, c.y * s, c.z * s);
}

// Diffuse light from a directional lamp, tinted by the lamp's colour.
template <typename F, typename M>
Pixel couleurLampe(const ObjetViseDe<F, M> &vise, const ombrage::Surface &surface,
                   const Lampe &lampe) {
    const float cd = ombrage::cosinusPositif(ombrage::versLampe(lampe), surface.normale);
    const Vecteur c = ombrage::materiauEn(vise, surface.point).couleur;
    const Vecteur lumiere = lampe.intensite(surface.point);
    return ombrage::pixelDe((c.x * cd) * lumiere.x, (c.y * cd) * lumiere.y, (c.z * cd) * lumiere.z);
}

// Phong: diffuse weighted by 0.9, plus a specular highlight in the lamp's colour.
template <typename F, typename M>
Pixel couleurPhong(const ObjetViseDe<F, M> &vise, const ombrage::Surface &surface,
                   const Lampe &lampe, const Vecteur &d) {
    using namespace ombrage;
    const Vecteur l = versLampe(lampe);
    const float cd = cosinusPositif(l, surface.normale);

    const Vecteur reflet = (2.0f * cd) * surface.normale - l;
    const Vecteur versObservateur = -1.0f * d;
    const float cs = cosinusPositif(reflet, versObservateur);

    const ProprietesMateriau m = materiauEn(vise, surface.point);
    const float s = static_cast<float>(
        std::pow(static_cast<double>(cs), static_cast<double>(m.exposantSpeculaire)));
    const Vecteur lumiere = lampe.intensite(surface.point);
    const float diffus = 0.9f; // the render's own weight, not a material value

    const auto canal = [&](float lk, float ck) {
        return diffus * ((lk * cd) * ck) + m.coefSpeculaire * (lk * s);
    };
    return pixelDe(canal(lumiere.x, m.couleur.x), canal(lumiere.y, m.couleur.y),
                   canal(lumiere.z, m.couleur.z));
}

// The same rules for the ray (o, d) that meets a plain object at parameter t.
inline ombrage::Surface surfaceTouchee(const Objet &objet, const Vecteur &o, const Vecteur &d,
                                       float t) {
    return ombrage::surfaceTouchee(*objet.forme, objet.inverseForme, o, d, t);
}

inline Pixel couleurImpact(const Objet &objet, const Vecteur &o, const Vecteur &d, float t) {
    return couleurImpact(ombrage::parInterfaces(objet), surfaceTouchee(objet, o, d, t), d);
}

inline Pixel couleurLampe(const Objet &objet, const Lampe &lampe, const Vecteur &o,
                          const Vecteur &d, float t) {
    return couleurLampe(ombrage::parInterfaces(objet), surfaceTouchee(objet, o, d, t), lampe);
}

inline Pixel couleurPhong(const Objet &objet, const Lampe &lampe, const Vecteur &o,
                          const Vecteur &d, float t) {
    return couleurPhong(ombrage::parInterfaces(objet), surfaceTouchee(objet, o, d, t), lampe, d);
}
