// The orthographic view shared by every render: one ray per pixel along +z through a window
// 450 world units wide, from -225 on both axes. Row 0 (the top of the file) is y = -225.
#pragma once

#include "geometry/vecteur.h"

// The window coordinate of pixel index `indice` along an axis of `taille` pixels: the product
// is exact, the division and the subtraction are in double, the result rounded to float once.
inline float coordonneeFenetre(int indice, int taille) {
    return static_cast<float>(static_cast<double>(indice * 450) / taille - 225.0);
}

inline const Vecteur directionVisee{0.0f, 0.0f, 1.0f};
