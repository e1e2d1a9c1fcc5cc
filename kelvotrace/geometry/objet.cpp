#include "objet.h"

Vecteur Objet::normale(const Vecteur &pointMonde) const {
    const Vecteur n = forme->normale(inverseForme.appliquePoint(pointMonde));
    // Normals map through the transpose of the inverse's linear part.
    return {produitScalaire(inverseForme.i, n), produitScalaire(inverseForme.j, n),
            produitScalaire(inverseForme.k, n)};
}
