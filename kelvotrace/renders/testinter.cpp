#include "renders.h"

#include "ecriture.h"
#include "geometry/sphere.h"
#include "impact.h"
#include "rangee.h"
#include "vue.h"

int testinter() {
    const Pixel rouge{255, 0, 0};
    const Pixel bleu{0, 0, 255};
    Image image(450, 450, bleu); // the rays that cannot meet the sphere stay blue
    const Sphere sphere(80.0f);
    // Used directly as the world-to-sphere map: the sphere's centre is at world (15, 14, 160).
    const Repere inverseForme(Vecteur(-15.0f, -14.0f, -160.0f));

    Rangee rangee(sphere, inverseForme, directionVisee, image, Normales::sans);
    for (int l = image.hauteur - 1; l >= 0; --l) {
        rangee.lancer(l);
        const Colonnes colonnes = rangee.colonnes();
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            image.pixels[l * image.largeur + c] = estImpact(rangee.distance(c)) ? rouge : bleu;
        }
    }
    return ecrireRendu(image, "testinter");
}
