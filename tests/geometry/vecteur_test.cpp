#include "geometry/vecteur.h"

#include <gtest/gtest.h>

TEST(Vecteur, DefaultIsZero) {
    const Vecteur v;
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
}

TEST(Vecteur, NormeAndNormaliseOfThreeFourFive) {
    EXPECT_EQ(norme(Vecteur(3.0f, 0.0f, 4.0f)), 5.0f);
    const Vecteur n = normalise(Vecteur(3.0f, 0.0f, 4.0f));
    // 1/5 is rounded to float first, then multiplies each component.
    EXPECT_EQ(n.x, 0.2f * 3.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 0.2f * 4.0f);
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
}

TEST(Vecteur, NormaliseOfZeroIsNotFinite) {
    const Vecteur n = normalise(Vecteur());
    EXPECT_FALSE(std::isfinite(n.x));
}

TEST(Vecteur, CrossAndDotProducts) {
    const Vecteur k = produitVectoriel(Vecteur(1, 0, 0), Vecteur(0, 1, 0));
    EXPECT_EQ(k.x, 0.0f);
    EXPECT_EQ(k.y, 0.0f);
    EXPECT_EQ(k.z, 1.0f);
    EXPECT_EQ(produitScalaire(Vecteur(1, 2, 3), Vecteur(4, -5, 6)), 12.0f);
}
