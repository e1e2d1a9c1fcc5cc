#include "ombrage.h"

#include <cmath>

#include "image/octet_couleur.h"

namespace {

struct Surface {
    Vecteur point;   // world hit point
    Vecteur normale; // unit world normal there
    ProprietesMateriau materiau;
};

Surface surfaceTouchee(const Objet &objet, const Vecteur &o, const Vecteur &d, float t) {
    const Vecteur p = t * d + o;
    const Vecteur n = normalise(objet.normale(p));
    return {p, n, objet.materiau->proprietes(objet.inverseMateriau.appliquePoint(p))};
}

Vecteur versLampe(const Lampe &lampe) { return -1.0f * lampe.direction; }

// a . b, with a value below 0 taken as 0 (a surface turned away gets nothing).
float cosinusPositif(const Vecteur &l, const Vecteur &n) {
    const float cd = produitScalaire(l, n);
    return cd < 0.0f ? 0.0f : cd;
}

Pixel pixelDe(float r, float g, float b) {
    return {octetCouleur(r), octetCouleur(g), octetCouleur(b)};
}

} // namespace

Pixel couleurImpact(const Objet &objet, const Vecteur &o, const Vecteur &d, float t) {
    const Surface surface = surfaceTouchee(objet, o, d, t);
    const float s = produitScalaire(-1.0f * d, surface.normale); // not clamped
    const Vecteur &c = surface.materiau.couleur;
    return pixelDe(c.x * s, c.y * s, c.z * s);
}

Pixel couleurLampe(const Objet &objet, const Lampe &lampe, const Vecteur &o, const Vecteur &d,
                   float t) {
    const Surface surface = surfaceTouchee(objet, o, d, t);
    const float cd = cosinusPositif(versLampe(lampe), surface.normale);
    const Vecteur &c = surface.materiau.couleur;
    const Vecteur lumiere = lampe.intensite(surface.point);
    return pixelDe((c.x * cd) * lumiere.x, (c.y * cd) * lumiere.y, (c.z * cd) * lumiere.z);
}

Pixel couleurPhong(const Objet &objet, const Lampe &lampe, const Vecteur &o, const Vecteur &d,
                   float t) {
    const Surface surface = surfaceTouchee(objet, o, d, t);
    const Vecteur l = versLampe(lampe);
    const float cd = cosinusPositif(l, surface.normale);

    const Vecteur reflet = (2.0f * cd) * surface.normale - l;
    const Vecteur versObservateur = -1.0f * d;
    const float cs = cosinusPositif(reflet, versObservateur);

    const ProprietesMateriau &m = surface.materiau;
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
