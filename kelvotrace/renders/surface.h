// Where a ray meets an object: what its shading starts from.
#pragma once

#include "geometry/vecteur.h"

struct Surface {
    Vecteur point;   // world hit point
    Vecteur normale; // unit world normal there
};
