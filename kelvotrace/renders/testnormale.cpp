#include "renders.h"

#include "ecriture.h"
#include "geometry/sphere.h"
#include "impact.h"
#include "ombrage.h"
#include "rayon.h"
#include "scene.h"

int testnormale() {
    Image image(450, 450);
    const Sphere sphere(-80.0f);
    const MateriauUniforme materiau =
        materiauScene(Vecteur(0.9254902f, 0.9647059f, 0.0f)); // (236, 246, 0) / 255
    const Objet objet(&sphere, Repere(Vecteur(-15.0f, -14.0f, 160.0f)), &materiau, Repere());

    const auto vise = viser(objet, sphere, materiau, directionVisee, image);
    const Pixel fond{0, 0, 32};
    remplirImage(image, vise.plage, fond, [&](const RayonPixel &rayon) {
        const float t = distanceDansPlage(vise, rayon.origine);
        return estImpact(t) ? couleurImpact(vise, rayon.origine, directionVisee, t) : fond;
    });
    return ecrireRendu(image, "testnormale");
}
