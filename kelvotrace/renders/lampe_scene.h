// The lamp of both lit scenes: travelling along (-1, 1, 1), from 1/sqrt(3) taken in double.
#pragma once

#include <cmath>

#include "geometry/vecteur.h"

inline Vecteur directionLampeScene() {
    const double s = 1.0 / std::sqrt(3.0);
    return {static_cast<float>(-1.0 * s), static_cast<float>(s), static_cast<float>(s)};
}
