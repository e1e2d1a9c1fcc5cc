// Shading of a hit: the colour of the pixel whose world ray (o, d) met an object at parameter t.
#pragma once

#include "geometry/lampe.h"
#include "geometry/objet.h"
#include "image/pixel.h"

// Headlight: the material colour times the cosine between the unit normal and -d.
Pixel couleurImpact(const Objet &objet, const Vecteur &o, const Vecteur &d, float t);

// Diffuse light from a directional lamp, tinted by the lamp's colour.
Pixel couleurLampe(const Objet &objet, const Lampe &lampe, const Vecteur &o, const Vecteur &d,
                   float t);

// Phong: diffuse weighted by 0.9, plus a specular highlight in the lamp's colour.
Pixel couleurPhong(const Objet &objet, const Lampe &lampe, const Vecteur &o, const Vecteur &d,
                   float t);
