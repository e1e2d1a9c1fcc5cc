#include "plage.h"

#include "vue.h"

#include <algorithm>
#include <cmath>

namespace {

struct Double3 {
    double x, y, z;
};

Double3 enDouble(const Vecteur &v) { return {v.x, v.y, v.z}; }

double scalaire(const Double3 &a, const Double3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// v without its part along k.
Double3 orthogonal(const Double3 &v, const Double3 &k, double kk) {
    const double s = scalaire(v, k) / kk;
    return {v.x - s * k.x, v.y - s * k.y, v.z - s * k.z};
}

struct Intervalle {
    int premier;
    int dernier;
};

// The pixel indices of an axis of `taille` pixels whose window coordinate may lie within
// [centre - demi, centre + demi], widened by a pixel on each side for the rounding of the
// window coordinates.
Intervalle indices(double centre, double demi, int taille) {
    const double parUnite = taille / 450.0;
    const double bas = std::floor((centre - demi + 225.0) * parUnite) - 1.0;
    const double haut = std::ceil((centre + demi + 225.0) * parUnite) + 1.0;
    return {static_cast<int>(std::max(bas, 0.0)),
            static_cast<int>(std::min(haut, static_cast<double>(taille - 1)))};
}

} // namespace

Plage plageVisee(float rayonEnglobant, const Repere &inverseForme, const Vecteur &directionLocale,
                 int largeur, int hauteur) {
    const Plage tout{0, std::vector<Colonnes>(static_cast<std::size_t>(std::max(hauteur, 0)),
                                              Colonnes{0, largeur - 1})};

    // The ray of window point (x, y) starts at x i + y j + o in the shape's frame and runs
    // along k. Its distance to the shape's centre is |x u + y v + w|, with u, v and w the parts
    // of i, j and o across k: below a radius r, that is an ellipse in (x, y).
    const Double3 k = enDouble(directionLocale);
    const double kk = scalaire(k, k);
    const Double3 o = enDouble(inverseForme.origine);
    const Double3 u = orthogonal(enDouble(inverseForme.i), k, kk);
    const Double3 v = orthogonal(enDouble(inverseForme.j), k, kk);
    const Double3 w = orthogonal(o, k, kk);
    const double uu = scalaire(u, u), uv = scalaire(u, v), vv = scalaire(v, v);
    const double det = uu * vv - uv * uv;
    if (!(kk > 0.0) || !(det > 1e-9 * uu * vv)) {
        return tout;
    }

    // Rounding of the ray's local origin and of the discriminant's terms stays far below
    // 1e-6 * echelle^2 for floats: a radius with a hundredfold margin bounds every ray whose
    // discriminant could still come out positive.
    const double r = rayonEnglobant;
    const double echelle =
        r + std::sqrt(scalaire(o, o)) +
        225.0 * (std::sqrt(scalaire(enDouble(inverseForme.i), enDouble(inverseForme.i))) +
                 std::sqrt(scalaire(enDouble(inverseForme.j), enDouble(inverseForme.j))));
    const double rayonSur = std::sqrt(r * r + 1e-4 * echelle * echelle) + 1e-4 * echelle;

    // The ellipse's centre, and its half extents along x and y.
    const double uw = scalaire(u, w), vw = scalaire(v, w);
    const double x0 = -(vv * uw - uv * vw) / det;
    const double y0 = -(uu * vw - uv * uw) / det;
    const double demiX = rayonSur * std::sqrt(vv / det);
    const double demiY = rayonSur * std::sqrt(uu / det);
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(demiX) ||
        !std::isfinite(demiY) || std::fabs(x0) + demiX > 1e9 || std::fabs(y0) + demiY > 1e9) {
        return tout;
    }
    const Intervalle colonnes = indices(x0, demiX, largeur);
    const Intervalle lignes = indices(y0, demiY, hauteur);
    Plage plage{lignes.premier, {}};

    // Row by row, at the row's own y: the x where |x u + (y v + w)| <= r, the roots of
    // uu x^2 + 2 b x + c = 0. A row the ellipse misses casts no ray.
    plage.parLigne.reserve(
        static_cast<std::size_t>(std::max(lignes.dernier - lignes.premier + 1, 0)));
    for (int l = lignes.premier; l <= lignes.dernier; ++l) {
        const double y = coordonneeFenetre(l, hauteur);
        const double b = y * uv + uw;
        const double c = y * y * vv + 2.0 * y * vw + scalaire(w, w) - rayonSur * rayonSur;
        const double discriminant = b * b - uu * c;
        Colonnes ligne{0, -1};
        if (discriminant >= 0.0) {
            const Intervalle x = indices(-b / uu, std::sqrt(discriminant) / uu, largeur);
            ligne = {std::max(x.premier, colonnes.premier), std::min(x.dernier, colonnes.dernier)};
        }
        plage.parLigne.push_back(ligne);
    }
    return plage;
}
