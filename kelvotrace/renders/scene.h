// Values that every scene shares.
#pragma once

#include <cmath>

#include "geometry/materiau_uniforme.h"
#include "geometry/vecteur.h"

// Every scene material has the same first seven values; only the colour differs.
inline MateriauUniforme materiauScene(const Vecteur &couleur) {
    return {1.0f, 0.36f, 1.0f, 1.0f, 1.0f, 1.0f, 5.0f, couleur};
}

// The lamp of both lit scenes travels along (-1, 1, 1): 1/sqrt(3) taken in double, then each
// component rounded to float.
inline Vecteur directionLampeScene() {
    const double s = 1.0 / std::sqrt(3.0);
    return {static_cast<float>(-1.0 * s), static_cast<float>(s), static_cast<float>(s)};
}
