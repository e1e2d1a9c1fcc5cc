// The orthographic view shared by every render: one ray per pixel along +z through a window
// 450 world units wide, from -225 on both axes. Row 0 (the top of the file) is y = -225.
#pragma once

#include <vector>

#include "geometry/vecteur.h"

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
