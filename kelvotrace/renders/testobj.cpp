#include "renders.h"

#include "ecriture.h"
#include "geometry/materiau_uniforme.h"
#include "geometry/sphere.h"
#include "image/octet_couleur.h"
#include "impact.h"
#include "rayon.h"

int testobj() {
    Image image(450, 450);
    const Sphere sphere(-80.0f);
    const Repere repereForme(Vecteur(-15.0f, -14.0f, 160.0f));
    const Repere repereMateriau(Vecteur(-15.0f, -14.0f, 160.0f));
    // Red and green far above 1: the bytes wrap, they are not clamped.
    const MateriauUniforme materiau(1.0f, 0.36f, 1.0f, 1.0f, 1.0f, 1.0f, 5.0f,
                                    Vecteur(8.3294115f, 8.682353f, 0.0f));
    const Objet objet(&sphere, repereForme, &materiau, repereMateriau);

    // The +z direction mapped by the shape's frame: the same for every ray.
    const Vecteur d = repereForme.appliqueVecteur(directionVisee);
    const ObjetVise vise = viser(objet, d);
    const Pixel fond{0, 0, 255};
    const int largeur = image.largeur;
    const int hauteur = image.hauteur;
    const std::vector<float> x = abscissesFenetre(largeur);
    for (int l = hauteur - 1; l >= 0; --l) {
        const float y = coordonneeFenetre(l, hauteur);
        for (int c = largeur - 1; c >= 0; --c) {
            const Vecteur o(x[static_cast<std::size_t>(c)], y, 0.0f);
            const float t = distanceImpact(vise, o);
            Pixel pixel = fond;
            if (estImpact(t)) {
                const Vecteur p = t * d + o;
                const Vecteur couleur = objet.materiau->proprietes(objet.inverseMateriau.appliquePoint(p)).couleur;
                pixel = {octetCouleur(couleur.x), octetCouleur(couleur.y), octetCouleur(couleur.z)};
            }
            image.pixels[l * largeur + c] = pixel;
        }
    }
    return ecrireRendu(image, "testobj");
}
