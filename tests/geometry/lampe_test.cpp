#include "geometry/lampe.h"

#include <gtest/gtest.h>

#include "expect_vecteur.h"

TEST(Lampe, SameLightEverywhereAndDirectionKeptAsGiven) {
    const Lampe lampe(Vecteur(0, 0, 2), Vecteur(0.25f, 0.5f, 1.0f));
    for (const Vecteur &p : {Vecteur(0, 0, 0), Vecteur(-300, 12, 7)}) {
        expectVecteur(lampe.intensite(p), 0.25f, 0.5f, 1.0f);
    }
    EXPECT_EQ(lampe.direction.z, 2.0f); // not normalised
    EXPECT_EQ(lampe.couleur.y, 0.5f);   // direction first, colour second
}

TEST(Lampe, OwnFrameIsIdentity) {
    const Lampe lampe(Vecteur(1, 0, 0), Vecteur(1, 1, 1));
    expectVecteur(lampe.repere.appliquePoint(Vecteur(3, -4, 5)), 3, -4, 5);
    expectVecteur(lampe.repere.appliqueVecteur(Vecteur(3, -4, 5)), 3, -4, 5);
}
