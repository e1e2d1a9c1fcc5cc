#include "renders.h"

#include "ecriture.h"
#include "geometry/sphere.h"
#include "impact.h"
#include "remplissage.h"
#include "scene.h"

int testMulti() {
    const Sphere petite(-25.0f);
    const Sphere grande(-55.0f);
    const Sphere moyenne(-40.0f);
    Image image(450, 450);
    const MateriauUniforme cyan = materiauScene(Vecteur(0.0f, 0.9647059f, 0.9254902f));
    const MateriauUniforme rouge = materiauScene(Vecteur(1.0f, 0.0f, 0.0f));
    const MateriauUniforme jaune = materiauScene(Vecteur(0.9254902f, 0.9647059f, 0.0f));
    const Objet gauche(&petite, Repere(Vecteur(-130.0f, 0.0f, 80.0f)), &cyan,
                       Repere(Vecteur(-130.0f, 0.0f, 80.0f)));
    const Objet droite(&grande, Repere(Vecteur(130.0f, -25.0f, 80.0f)), &rouge,
                       Repere(Vecteur(130.0f, -25.0f, 80.0f)));
    const Objet milieu(&moyenne, Repere(Vecteur(-15.0f, -14.0f, 80.0f)), &jaune, Repere());
    const std::array<ObjetViseDe<Sphere, MateriauUniforme>, 3> scene{
        viser(gauche, petite, cyan, directionVisee, image),
        viser(droite, grande, rouge, directionVisee, image),
        viser(milieu, moyenne, jaune, directionVisee, image)};

    const Pixel fond{0, 0, 32};
    remplirImage(image, scene, fond, [&](const auto &vise, const ombrage::Surface &surface) {
        return couleurImpact(vise, surface, directionVisee);
    });
    return ecrireRendu(image, "testMulti");
}
