#include "renders.h"

#include "ecriture.h"
#include "geometry/materiau_uniforme.h"
#include "geometry/objet.h"
#include "geometry/sphere.h"
#include "image/octet_couleur.h"
#include "impact.h"
#include "rangee.h"
#include "scene.h"

int testobj() {
    const Pixel fond{0, 0, 255};
    Image image(450, 450, fond); // the rays that cannot meet the sphere stay blue
    const Sphere sphere(-80.0f);
    const Repere repereForme(Vecteur(-15.0f, -14.0f, 160.0f));
    const Repere repereMateriau(Vecteur(-15.0f, -14.0f, 160.0f));
    // Red and green far above 1: the bytes wrap, they are not clamped.
    const MateriauUniforme materiau = materiauScene(Vecteur(8.3294115f, 8.682353f, 0.0f));
    const Objet objet(&sphere, repereForme, &materiau, repereMateriau);

    // The +z direction mapped by the shape's frame: the same for every ray.
    const Vecteur d = repereForme.appliqueVecteur(directionVisee);
    Rangee rangee(sphere, objet.inverseForme, d, image, Normales::sans);
    for (int l = image.hauteur - 1; l >= 0; --l) {
        rangee.lancer(l);
        const Colonnes colonnes = rangee.colonnes();
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            Pixel &pixel = image.pixels[l * image.largeur + c];
            if (!estImpact(rangee.distance(c))) {
                pixel = fond;
                continue;
            }
            const Vecteur p = rangee.point(c);
            const Vecteur couleur =
                materiau.proprietes(objet.inverseMateriau.appliquePoint(p)).couleur;
            pixel = {octetCouleur(couleur.x), octetCouleur(couleur.y), octetCouleur(couleur.z)};
        }
    }
    return ecrireRendu(image, "testobj");
}
