#include "repere.h"

Repere Repere::inverse() const {
    const float det = produitScalaire(k, produitVectoriel(i, j));

    // Scale-free test: the determinant against the product of the axis lengths, so long but
    // nearly coplanar axes are rejected and a tiny well-shaped frame is accepted.
    const double longueurs = static_cast<double>(produitScalaire(i, i)) *
                             static_cast<double>(produitScalaire(j, j)) *
                             static_cast<double>(produitScalaire(k, k));
    if (static_cast<double>(det) * static_cast<double>(det) < 1e-6 * longueurs) {
        throw RepereDegenere{};
    }

    const float s = 1.0f / det;
    const Vecteur ligne1 = produitVectoriel(j, s * k);
    const Vecteur ligne2 = produitVectoriel(k, s * i);
    const Vecteur ligne3 = produitVectoriel(i, s * j);

    Repere inv({ligne1.x, ligne2.x, ligne3.x}, {ligne1.y, ligne2.y, ligne3.y},
               {ligne1.z, ligne2.z, ligne3.z}, Vecteur());
    const Vecteur o = inv.appliquePoint(origine);
    inv.origine = Vecteur(-o.x, -o.y, -o.z);
    return inv;
}
