#include "renders.h"

#include "ecriture.h"
#include "geometry/sphere.h"
#include "image/octet_couleur.h"
#include "impact.h"
#include "remplissage.h"
#include "scene.h"

int testobj() {
    Image image(450, 450);
    const Sphere sphere(-80.0f);
    const Repere repereForme(Vecteur(-15.0f, -14.0f, 160.0f));
    const Repere repereMateriau(Vecteur(-15.0f, -14.0f, 160.0f));
    // Red and green far above 1: the bytes wrap, they are not clamped.
    const MateriauUniforme materiau = materiauScene(Vecteur(8.3294115f, 8.682353f, 0.0f));
    const Objet objet(&sphere, repereForme, &materiau, repereMateriau);

    // The +z direction mapped by the shape's frame: the same for every ray.
    const Vecteur d = repereForme.appliqueVecteur(directionVisee);
    const auto vise = viser(objet, sphere, materiau, d, image);
    const Pixel fond{0, 0, 255};
    remplirImage(image, vise.plage, fond, [&](const RayonPixel &rayon) {
        const float t = distanceDansPlage(vise, rayon.origine);
        if (!estImpact(t)) {
            return fond;
        }
        const Vecteur p = t * d + rayon.origine;
        const Vecteur couleur =
            vise.materiau->proprietes(objet.inverseMateriau.appliquePoint(p)).couleur;
        return Pixel{octetCouleur(couleur.x), octetCouleur(couleur.y), octetCouleur(couleur.z)};
    });
    return ecrireRendu(image, "testobj");
}
