// The orthographic view shared by every render: one ray per pixel along +z through a window
// 450 world units wide, from -225 on both axes. Row 0 (the top of the file) is y = -225.
#pragma once

#include <cstddef>
#include <vector>

#include "geometry/vecteur.h"

// The window coordinate of pixel index `indice` along an axis of `taille` pixels: the product
// is exact, the division and the subtraction are in double, the result rounded to float once.
inline float coordonneeFenetre(int indice, int taille) {
    return static_cast<float>(static_cast<double>(indice * 450) / taille - 225.0);
}

// The window coordinates of the first `nombre` columns of a row of `largeur` pixels (past the
// row's end, where they are asked for, of the columns that would follow), computed once per
// render.
inline std::vector<float> abscissesFenetre(int largeur, int nombre) {
    std::vector<float> x(static_cast<std::size_t>(nombre));
    for (int c = 0; c < nombre; ++c) {
        x[static_cast<std::size_t>(c)] = coordonneeFenetre(c, largeur);
    }
    return x;
}

inline const Vecteur directionVisee{0.0f, 0.0f, 1.0f};
