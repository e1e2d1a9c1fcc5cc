#include "renders.h"

#include "ecriture.h"
#include "impact.h"
#include "ombrage.h"
#include "rangee.h"
#include "scene.h"

int testnormale() {
    const Pixel fond{0, 0, 32};
    Image image(450, 450, fond); // the rays that cannot meet the sphere keep the background
    // (236, 246, 0) / 255; the material frame is the world's.
    const SphereColoree sphere(-80.0f, Vecteur(-15.0f, -14.0f, 160.0f),
                               Vecteur(0.9254902f, 0.9647059f, 0.0f), Vecteur());

    Rangee rangee = sphere.rangee(image);
    for (int l = image.hauteur - 1; l >= 0; --l) {
        rangee.lancer(l);
        const Colonnes colonnes = rangee.colonnes();
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            Pixel &pixel = image.pixels[l * image.largeur + c];
            if (!estImpact(rangee.distance(c))) {
                pixel = fond;
                continue;
            }
            const Surface surface = rangee.surface(c);
            pixel = couleurImpact(surface, sphere.proprietes(surface.point), directionVisee);
        }
    }
    return ecrireRendu(image, "testnormale");
}
