#include "renders.h"

#include "ecriture.h"
#include "geometry/sphere.h"
#include "impact.h"
#include "remplissage.h"
#include "scene.h"

int testLamp() {
    const Sphere petite(-25.0f);
    const Sphere grande(-55.0f);
    const Sphere moyenne(-40.0f);
    Image image(450, 450);
    // Fractions of 255: 20, 70, 200 and 240.
    const MateriauUniforme bleu = materiauScene(Vecteur(0.078431375f, 0.27450982f, 0.78431374f));
    const MateriauUniforme rouge = materiauScene(Vecteur(1.0f, 0.078431375f, 0.078431375f));
    const MateriauUniforme jaune = materiauScene(Vecteur(0.9411765f, 0.9411765f, 0.0f));
    const Objet milieu(&moyenne, Repere(Vecteur(-15.0f, -14.0f, 80.0f)), &jaune, Repere());
    const Objet droite(&grande, Repere(Vecteur(130.0f, -25.0f, 80.0f)), &rouge,
                       Repere(Vecteur(130.0f, -25.0f, 80.0f)));
    const Objet gauche(&petite, Repere(Vecteur(-130.0f, 0.0f, 80.0f)), &bleu,
                       Repere(Vecteur(-130.0f, 0.0f, 80.0f)));
    const std::array<ObjetViseDe<Sphere, MateriauUniforme>, 3> scene{
        viser(gauche, petite, bleu, directionVisee, image),
        viser(droite, grande, rouge, directionVisee, image),
        viser(milieu, moyenne, jaune, directionVisee, image)};
    const Lampe lampe(directionLampeScene(), Vecteur(0.78431374f, 1.0f, 0.9411765f));

    const Pixel fond{10, 10, 40};
    remplirImage(image, scene, fond, [&](const auto &vise, const ombrage::Surface &surface) {
        return couleurLampe(vise, surface, lampe);
    });
    return ecrireRendu(image, "testLamp");
}
