#include "geometry/lampe.h"

#include <gtest/gtest.h>

TEST(Lampe, SameLightEverywhereAndDirectionKeptAsGiven) {
    const Lampe lampe(Vecteur(0, 0, 2), Vecteur(0.25f, 0.5f, 1.0f));
    for (const Vecteur &p : {Vecteur(0, 0, 0), Vecteur(-300, 12, 7)}) {
        const Vecteur c = lampe.intensite(p);
        EXPECT_EQ(c.x, 0.25f);
        EXPECT_EQ(c.y, 0.5f);
        EXPECT_EQ(c.z, 1.0f);
    }
    EXPECT_EQ(lampe.direction.z, 2.0f); // not normalised
    EXPECT_EQ(lampe.couleur.y, 0.5f);   // direction first, colour second
}

TEST(Lampe, OwnFrameIsIdentity) {
    const Lampe lampe(Vecteur(1, 0, 0), Vecteur(1, 1, 1));
    const Vecteur p = lampe.repere.appliquePoint(Vecteur(3, -4, 5));
    const Vecteur v = lampe.repere.appliqueVecteur(Vecteur(3, -4, 5));
    EXPECT_EQ(p.x, 3.0f);
    EXPECT_EQ(p.y, -4.0f);
    EXPECT_EQ(p.z, 5.0f);
    EXPECT_EQ(v.z, 5.0f);
}
