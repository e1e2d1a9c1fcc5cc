#include "renders.h"

#include <array>

#include "ecriture.h"
#include "geometry/lampe.h"
#include "impact.h"
#include "ombrage.h"
#include "rangee.h"
#include "scene.h"

int testLamp() {
    const Pixel fond{10, 10, 40};
    Image image(450, 450, fond); // the rays that cannot meet a sphere keep the background
    // In the order the rays test them. Fractions of 255: 20, 70, 200 and 240.
    const std::array<SphereColoree, 3> scene{
        SphereColoree(-25.0f, Vecteur(-130.0f, 0.0f, 80.0f),
                      Vecteur(0.078431375f, 0.27450982f, 0.78431374f),
                      Vecteur(-130.0f, 0.0f, 80.0f)),
        SphereColoree(-55.0f, Vecteur(130.0f, -25.0f, 80.0f),
                      Vecteur(1.0f, 0.078431375f, 0.078431375f), Vecteur(130.0f, -25.0f, 80.0f)),
        SphereColoree(-40.0f, Vecteur(-15.0f, -14.0f, 80.0f), Vecteur(0.9411765f, 0.9411765f, 0.0f),
                      Vecteur())};
    const Lampe lampe(directionLampeScene(), Vecteur(0.78431374f, 1.0f, 0.9411765f));

    std::array<Rangee, 3> rangees{scene[0].rangee(image), scene[1].rangee(image),
                                  scene[2].rangee(image)};
    for (int l = image.hauteur - 1; l >= 0; --l) {
        for (Rangee &rangee : rangees) {
            rangee.lancer(l);
        }
        const Colonnes colonnes = colonnesDe(rangees);
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            Pixel &pixel = image.pixels[l * image.largeur + c];
            const int k = premierImpact(rangees, c);
            if (k < 0) {
                pixel = fond;
                continue;
            }
            const Surface surface = rangees[k].surface(c);
            pixel = couleurLampe(surface, scene[k].proprietes(surface.point), lampe);
        }
    }
    return ecrireRendu(image, "testLamp");
}
