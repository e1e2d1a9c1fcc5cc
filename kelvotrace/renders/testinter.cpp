#include "renders.h"

#include "ecriture.h"
#include "geometry/sphere.h"
#include "impact.h"
#include "remplissage.h"

int testinter() {
    Image image(450, 450);
    const Sphere sphere(80.0f);
    // Used directly as the world-to-sphere map: the sphere's centre is at world (15, 14, 160).
    const Repere versSphere(Vecteur(-15.0f, -14.0f, -160.0f));

    const Pixel rouge{255, 0, 0};
    const Pixel bleu{0, 0, 255};
    const auto vise = viser(sphere, versSphere, directionVisee, image);
    remplirImage(image, vise.plage, bleu, [&](const RayonPixel &rayon) {
        return estImpact(distanceDansPlage(vise, rayon.origine)) ? rouge : bleu;
    });
    return ecrireRendu(image, "testinter");
}
