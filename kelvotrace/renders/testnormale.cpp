#include "renders.h"

#include "ecriture.h"
#include "geometry/sphere.h"
#include "impact.h"
#include "remplissage.h"
#include "scene.h"

int testnormale() {
    Image image(450, 450);
    const Sphere sphere(-80.0f);
    const MateriauUniforme materiau =
        materiauScene(Vecteur(0.9254902f, 0.9647059f, 0.0f)); // (236, 246, 0) / 255
    const Objet objet(&sphere, Repere(Vecteur(-15.0f, -14.0f, 160.0f)), &materiau, Repere());

    const std::array<ObjetViseDe<Sphere, MateriauUniforme>, 1> scene{
        viser(objet, sphere, materiau, directionVisee, image)};
    const Pixel fond{0, 0, 32};
    remplirImage(image, scene, fond, [&](const auto &vise, const ombrage::Surface &surface) {
        return couleurImpact(vise, surface, directionVisee);
    });
    return ecrireRendu(image, "testnormale");
}
