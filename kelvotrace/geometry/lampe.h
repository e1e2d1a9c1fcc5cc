// A directional light: one colour, one direction of travel, no position and no fall-off.
#pragma once

#include "repere.h"

// final: nothing derives from the one lamp there is, so nothing in it is virtual.
class Lampe final {
  public:
    // Direction first, colour second; the direction is kept as given, not normalised.
    Lampe(const Vecteur &direction_, const Vecteur &couleur_)
        : couleur(couleur_), direction(direction_) {}
    Lampe(const Lampe &) = delete;
    Lampe &operator=(const Lampe &) = delete;

    // The light that reaches a point: the same everywhere.
    Vecteur intensite(const Vecteur &) const { return couleur; }

    Repere repere; // the identity; nothing reads it
    Vecteur couleur;
    Vecteur direction;
};
