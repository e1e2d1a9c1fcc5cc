// The orthographic view shared by every render: one ray per pixel along +z through a window
// 450 world units wide, from -225 on both axes. Row 0 (the top of the file) is y = -225.
#pragma once

#include <vector>

#include "geometry/vecteur.h"
#include "image/image.h"
#include "plage.h"

// The window coordinate of pixel index `indice` along an axis of `taille` pixels: the product
// is exact, the division and the subtraction are in double, the result rounded to float once.
inline float coordonneeFenetre(int indice, int taille) {
    return static_cast<float>(static_cast<double>(indice * 450) / taille - 225.0);
}

// The window coordinates of all columns of a row, computed once per render.
inline std::vector<float> abscissesFenetre(int largeur) {
    std::vector<float> x(static_cast<std::size_t>(largeur));
    for (int c = 0; c < largeur; ++c) {
        x[static_cast<std::size_t>(c)] = coordonneeFenetre(c, largeur);
    }
    return x;
}

inline const Vecteur directionVisee{0.0f, 0.0f, 1.0f};

// The ray of one pixel: its origin in the window, and the row and column it colours.
struct RayonPixel {
    Vecteur origine;
    int ligne;
    int colonne;
};

// Calls f(rayon) for the ray of every pixel of `plage`, from its last row and column backwards.
template <typename F> void parcourirRayons(const Plage &plage, int largeur, int hauteur, F &&f) {
    const std::vector<float> x = abscissesFenetre(largeur);
    for (int l = plage.ligneMax; l >= plage.ligneMin; --l) {
        const float y = coordonneeFenetre(l, hauteur);
        const Colonnes colonnes = plage.colonnes(l);
        for (int c = colonnes.derniere; c >= colonnes.premiere; --c) {
            f(RayonPixel{Vecteur(x[static_cast<std::size_t>(c)], y, 0.0f), l, c});
        }
    }
}

// Gives every pixel of `plage` the colour that couleurRayon(rayon) returns for its ray, and
// every other pixel `fond`: outside the range every ray misses, so it is not cast.
template <typename F>
void remplirImage(Image &image, const Plage &plage, const Pixel &fond, F &&couleurRayon) {
    const int largeur = image.largeur;
    image.remplir(fond);
    parcourirRayons(plage, largeur, image.hauteur, [&](const RayonPixel &rayon) {
        image.pixels[rayon.ligne * largeur + rayon.colonne] = couleurRayon(rayon);
    });
}
