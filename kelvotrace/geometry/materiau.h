// The material interface: what a surface is made of at a point of the material's own frame.
#pragma once

#include "vecteur.h"

// Ten values; the renders read coefSpeculaire, exposantSpeculaire and couleur.
struct ProprietesMateriau {
    float coef0;
    float coefSpeculaire;
    float coef2;
    float coef3;
    float coef4;
    float coef5;
    float exposantSpeculaire;
    Vecteur couleur; // red, green, blue in x, y, z
};

class Materiau {
  public:
    virtual ProprietesMateriau proprietes(const Vecteur &point) const = 0;

  protected:
    // Materials live on the stack of the render and are never deleted through Materiau.
    ~Materiau() = default;
};
