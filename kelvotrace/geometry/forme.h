// The shape interface that every render casts its rays against, in the shape's local coordinates.
#pragma once

#include "vecteur.h"

class Forme {
  public:
    // Ray parameter t of the nearest crossing in front of the origin (hit point origine +
    // t * direction), or -1.0 for a miss. The direction need not be of unit length.
    virtual float intersection(const Vecteur &origine, const Vecteur &direction) const = 0;

    // Unit outward normal at a point of the surface.
    virtual Vecteur normale(const Vecteur &point) const = 0;

  protected:
    // Shapes live on the stack of the render that owns them and are never deleted through Forme.
    ~Forme() = default;
};
