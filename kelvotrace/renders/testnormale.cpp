#include "renders.h"

#include "ecriture.h"
#include "geometry/materiau_uniforme.h"
#include "geometry/sphere.h"
#include "impact.h"
#include "ombrage.h"
#include "rayon.h"

int testnormale() {
    Image image(450, 450);
    const Sphere sphere(-80.0f);
    const MateriauUniforme materiau(1.0f, 0.36f, 1.0f, 1.0f, 1.0f, 1.0f, 5.0f,
                                    Vecteur(0.9254902f, 0.9647059f, 0.0f)); // (236, 246, 0) / 255
    const Objet objet(&sphere, Repere(Vecteur(-15.0f, -14.0f, 160.0f)), &materiau, Repere());

    const ObjetVise vise = viser(objet, directionVisee);
    const Pixel fond{0, 0, 32};
    const int largeur = image.largeur;
    const int hauteur = image.hauteur;
    const std::vector<float> x = abscissesFenetre(largeur);
    for (int l = hauteur - 1; l >= 0; --l) {
        const float y = coordonneeFenetre(l, hauteur);
        for (int c = largeur - 1; c >= 0; --c) {
            const Vecteur o(x[static_cast<std::size_t>(c)], y, 0.0f);
            const float t = distanceImpact(vise, o);
            image.pixels[l * largeur + c] = estImpact(t) ? couleurImpact(objet, o, directionVisee, t) : fond;
        }
    }
    return ecrireRendu(image, "testnormale");
}
