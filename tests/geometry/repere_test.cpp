#include "geometry/repere.h"

#include <gtest/gtest.h>

#include "expect_vecteur.h"

TEST(Repere, DefaultIsIdentity) {
    const Repere r;
    expectVecteur(r.appliquePoint(Vecteur(3, -4, 5)), 3, -4, 5);
    expectVecteur(r.appliqueVecteur(Vecteur(3, -4, 5)), 3, -4, 5);
}

TEST(Repere, PointsAreTranslatedVectorsAreNot) {
    const Repere r(Vecteur(-15, -14, -160));
    expectVecteur(r.appliquePoint(Vecteur(7, 9, 0)), 7 - 15, 9 - 14, -160);
    expectVecteur(r.appliqueVecteur(Vecteur(0, 0, 1)), 0, 0, 1);
}

TEST(Repere, AxesAreColumns) {
    const Repere r(Vecteur(0, 1, 0), Vecteur(-1, 0, 0), Vecteur(0, 0, 2), Vecteur(10, 20, 30));
    // x along i, y along j, z along k, plus the origin.
    expectVecteur(r.appliquePoint(Vecteur(1, 2, 3)), 1 * 0 - 2 + 10, 1 + 0 + 20, 6 + 30);
    expectVecteur(r.appliqueVecteur(Vecteur(1, 2, 3)), -2, 1, 6);
}

TEST(RepereInverse, OfTranslationNegatesOrigin) {
    const Repere inv = Repere(Vecteur(-15, -14, 160)).inverse();
    expectVecteur(inv.i, 1, 0, 0);
    expectVecteur(inv.j, 0, 1, 0);
    expectVecteur(inv.k, 0, 0, 1);
    expectVecteur(inv.origine, 15, 14, -160);
}

TEST(RepereInverse, UndoesAGeneralFrame) {
    const Repere r(Vecteur(2, 0, 0), Vecteur(1, 4, 0), Vecteur(0, 1, 0.5f), Vecteur(3, -7, 11));
    const Repere inv = r.inverse();
    const Vecteur p(5.5f, -2.25f, 8.0f);
    const Vecteur retour = inv.appliquePoint(r.appliquePoint(p));
    EXPECT_NEAR(retour.x, p.x, 1e-5);
    EXPECT_NEAR(retour.y, p.y, 1e-5);
    EXPECT_NEAR(retour.z, p.z, 1e-5);
    const Vecteur v = inv.appliqueVecteur(r.appliqueVecteur(Vecteur(1, 1, 1)));
    EXPECT_NEAR(v.x, 1.0f, 1e-6);
    EXPECT_NEAR(v.y, 1.0f, 1e-6);
    EXPECT_NEAR(v.z, 1.0f, 1e-6);
}

TEST(RepereInverse, LeavesTheFrameUnchanged) {
    const Repere r(Vecteur(2, 0, 0), Vecteur(0, 3, 0), Vecteur(0, 0, 4), Vecteur(1, 2, 3));
    static_cast<void>(r.inverse());
    expectVecteur(r.i, 2, 0, 0);
    expectVecteur(r.origine, 1, 2, 3);
}

TEST(RepereInverse, ScaledFrameHasReciprocalAxes) {
    const Repere inv =
        Repere(Vecteur(2, 0, 0), Vecteur(0, 2, 0), Vecteur(0, 0, 2), Vecteur(4, 6, 8)).inverse();
    expectVecteur(inv.i, 0.5f, 0, 0);
    expectVecteur(inv.k, 0, 0, 0.5f);
    expectVecteur(inv.origine, -2, -3, -4);
}

TEST(RepereInverse, ThrowsForCoincidentAxes) {
    const Repere r(Vecteur(1, 0, 0), Vecteur(0, 1, 0), Vecteur(1, 0, 0), Vecteur());
    EXPECT_THROW(r.inverse(), RepereDegenere);
}

TEST(RepereInverse, ThrowsForNearlyCoplanarAxes) {
    // det^2 = 2.5e-7, below 1e-6 * |i|^2 |j|^2 |k|^2 = 2.00000025e-6.
    const Repere r(Vecteur(1, 0, 0), Vecteur(0, 1, 0), Vecteur(1, 1, 0.0005f), Vecteur());
    EXPECT_THROW(r.inverse(), RepereDegenere);
}

TEST(RepereInverse, TestIsScaleFree) {
    // Long but nearly coplanar axes are rejected...
    const Repere long_(Vecteur(1000, 0, 0), Vecteur(0, 1000, 0), Vecteur(1000, 1000, 0.5f),
                       Vecteur());
    EXPECT_THROW(long_.inverse(), RepereDegenere);
    // ...and a tiny well-shaped frame is accepted.
    const Repere minuscule(Vecteur(0.001f, 0, 0), Vecteur(0, 0.001f, 0), Vecteur(0, 0, 0.001f),
                           Vecteur());
    const Repere inv = minuscule.inverse();
    EXPECT_FLOAT_EQ(inv.i.x, 1000.0f);
    // Just above the threshold: det^2 = 4e-6 > 2e-6.
    const Repere juste(Vecteur(1, 0, 0), Vecteur(0, 1, 0), Vecteur(1, 0, 0.002f), Vecteur());
    EXPECT_NO_THROW(juste.inverse());
}
