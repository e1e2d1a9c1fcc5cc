// A material that is the same at every point.
#pragma once

#include "materiau.h"

class MateriauUniforme final : public Materiau {
  public:
    MateriauUniforme(float coef0, float coefSpeculaire, float coef2, float coef3, float coef4,
                     float coef5, float exposantSpeculaire, const Vecteur &couleur)
        : valeurs{coef0, coefSpeculaire, coef2, coef3, coef4, coef5, exposantSpeculaire, couleur} {}

    ProprietesMateriau proprietes(const Vecteur &) const override { return valeurs; }

  private:
    ProprietesMateriau valeurs;
};
