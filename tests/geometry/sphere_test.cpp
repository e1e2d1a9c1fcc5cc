#include "geometry/sphere.h"

#include <cmath>

#include <gtest/gtest.h>

#include "expect_vecteur.h"

namespace {

float touche(float rayon, const Vecteur &o, const Vecteur &d) {
    const Sphere sphere(rayon);
    const Forme &forme = sphere; // the renders call through the interface
    return forme.intersection(o, d);
}

} // namespace

TEST(SphereIntersection, NearCrossingInFront) {
    EXPECT_EQ(touche(80.0f, Vecteur(0, 0, -160), Vecteur(0, 0, 1)), 80.0f);
    EXPECT_EQ(touche(-80.0f, Vecteur(0, 0, -160), Vecteur(0, 0, 1)), 80.0f);
}

TEST(SphereIntersection, TangentRayMisses) {
    EXPECT_EQ(touche(80.0f, Vecteur(80, 0, -160), Vecteur(0, 0, 1)), -1.0f);
    EXPECT_EQ(touche(80.0f, Vecteur(0, -80, -160), Vecteur(0, 0, 1)), -1.0f);
    // One unit inside the tangent is a hit.
    EXPECT_GT(touche(80.0f, Vecteur(79, 0, -160), Vecteur(0, 0, 1)), 0.001f);
}

TEST(SphereIntersection, OriginInsideMisses) {
    EXPECT_EQ(touche(80.0f, Vecteur(0, 0, 0), Vecteur(0, 0, 1)), -1.0f);
}

TEST(SphereIntersection, SphereBehindMisses) {
    EXPECT_EQ(touche(80.0f, Vecteur(0, 0, 200), Vecteur(0, 0, 1)), -1.0f);
}

TEST(SphereIntersection, FarOffMisses) {
    EXPECT_EQ(touche(80.0f, Vecteur(500, 0, -160), Vecteur(0, 0, 1)), -1.0f);
}

TEST(SphereIntersection, ParameterCountsAlongAnUnnormalisedDirection) {
    EXPECT_EQ(touche(80.0f, Vecteur(0, 0, -160), Vecteur(0, 0, 2)), 40.0f);
}

TEST(SphereIntersection, OriginOnTheSurfaceGivesAParameterNearZero) {
    // Starts 0.1 beside the front point of a sphere of radius 40: t1 is about 0.000125,
    // above 0 yet below the 0.001 that makes a hit.
    const float t = touche(40.0f, Vecteur(0, 0.1f, -40), Vecteur(0, 0, 1));
    EXPECT_GT(t, 0.0f);
    EXPECT_LT(t, 0.001f);
}

TEST(SphereNormale, PointsOutwardWhateverTheSignOfTheRadius) {
    for (float rayon : {80.0f, -80.0f}) {
        expectVecteur(Sphere(rayon).normale(Vecteur(0, 0, -80)), 0, 0, -1);
    }
    const Vecteur n = Sphere(5.0f).normale(Vecteur(3, 0, 4));
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
}

TEST(SphereRayonEnglobant, TheRadiusWhateverItsSign) {
    EXPECT_EQ(Sphere(80.0f).rayonEnglobant(), 80.0f);
    EXPECT_EQ(Sphere(-55.0f).rayonEnglobant(), 55.0f);
}

TEST(DivisionExacte, DividesAsTheDivisionDoes) {
    // Powers of two, the extremes among them, and divisors that must really divide.
    const double diviseurs[] = {
        2.0,      0.5,  1024.0, std::ldexp(1.0, -1000), std::ldexp(1.0, 1023),
        3.0,      -4.0, 0.0,    std::ldexp(1.0, -1074), std::ldexp(1.0, -1030),
        HUGE_VAL, 1.05, NAN};
    const double valeurs[] = {1.0, 3.0, -7.5, 1e-300, 1e300, std::ldexp(1.0, -1070), 0.1};
    for (const double d : diviseurs) {
        DivisionExacte(d).avecDivision([&](const auto &diviser) {
            for (const double x : valeurs) {
                const double attendu = x / d;
                const double obtenu = diviser(x);
                EXPECT_TRUE(obtenu == attendu || (std::isnan(obtenu) && std::isnan(attendu)))
                    << x << " / " << d << ": " << obtenu;
            }
        });
    }
}
