// The per-ray steps on small hand-made scenes with known answers.
#include "impact.h"
#include "ombrage.h"
#include "scene.h"

#include <gtest/gtest.h>

#include "geometry/materiau_uniforme.h"
#include "geometry/sphere.h"

namespace {

const Vecteur versZ(0.0f, 0.0f, 1.0f);

MateriauUniforme uni(const Vecteur &couleur) { return materiauScene(couleur); }

} // namespace

TEST(EstImpact, StrictlyBeyondAThousandth) {
    EXPECT_FALSE(estImpact(-1.0f));
    EXPECT_FALSE(estImpact(0.0f));
    EXPECT_FALSE(estImpact(0.000999f));
    EXPECT_TRUE(estImpact(0.001f)); // the float nearest 0.001 lies just above the double 0.001
    EXPECT_TRUE(estImpact(0.0010001f));
    EXPECT_TRUE(estImpact(80.0f));
}

TEST(DistanceImpact, RayGoesThroughTheInverseShapeFrame) {
    const Sphere sphere(10.0f);
    const MateriauUniforme m = uni(Vecteur(1, 1, 1));
    const Objet objet(&sphere, Repere(Vecteur(100, 50, 30)), &m, Repere());
    EXPECT_EQ(distanceImpact(objet, Vecteur(100, 50, 0), versZ), 20.0f);
    EXPECT_EQ(distanceImpact(objet, Vecteur(0, 0, 0), versZ), -1.0f);
}

TEST(PremierImpact, EarlierObjectWinsEvenWhenFarther) {
    const Sphere sphere(10.0f);
    const MateriauUniforme m = uni(Vecteur(1, 1, 1));
    const Objet loin(&sphere, Repere(Vecteur(0, 0, 100)), &m, Repere());
    const Objet pres(&sphere, Repere(Vecteur(0, 0, 40)), &m, Repere());
    // Rays of a 450 by 450 picture: row 225, column 225 is the window's (0, 0).
    const Image image(450, 450);
    const std::array<ObjetVise, 2> objets{viser(loin, versZ, image), viser(pres, versZ, image)};
    const Impact impact = premierImpact(objets, RayonPixel{Vecteur(), 225, 225});
    EXPECT_EQ(impact.objet, &loin);
    EXPECT_EQ(impact.distance, 90.0f);

    const Impact aucun = premierImpact(objets, RayonPixel{Vecteur(50, 0, 0), 225, 275});
    EXPECT_EQ(aucun.objet, nullptr);
}

TEST(CouleurImpact, CentreTakesTheFullColour) {
    const Sphere sphere(-80.0f);
    const MateriauUniforme m = uni(Vecteur(0.9254902f, 0.9647059f, 0.0f));
    const Objet objet(&sphere, Repere(Vecteur(0, 0, 160)), &m, Repere());
    const Pixel p = couleurImpact(objet, Vecteur(), versZ, 80.0f);
    EXPECT_EQ(p.r, 236);
    EXPECT_EQ(p.g, 246);
    EXPECT_EQ(p.b, 0);
}

TEST(CouleurLampe, FullLightWhereTheNormalFacesTheLamp) {
    // The lamp travels along +z, so the sphere's front point faces it squarely.
    const Sphere sphere(10.0f);
    const MateriauUniforme m = uni(Vecteur(1.0f, 0.5f, 1.0f));
    const Objet objet(&sphere, Repere(Vecteur(0, 0, 20)), &m, Repere());
    const Lampe lampe(Vecteur(0, 0, 1), Vecteur(1.0f, 1.0f, 0.0f));
    const Pixel p = couleurLampe(objet, lampe, Vecteur(), versZ, 10.0f);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 127);
    EXPECT_EQ(p.b, 0); // a lamp channel of 0 blacks that channel out
}

TEST(CouleurLampe, UnnormalisedDirectionScalesTheCosine) {
    const Sphere sphere(10.0f);
    const MateriauUniforme m = uni(Vecteur(0.25f, 0.25f, 0.25f));
    const Objet objet(&sphere, Repere(Vecteur(0, 0, 20)), &m, Repere());
    const Lampe lampe(Vecteur(0, 0, 2), Vecteur(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(couleurLampe(objet, lampe, Vecteur(), versZ, 10.0f).r, 127); // 0.25 * 2 * 255
}

TEST(CouleurLampe, TurnedAwayIsBlack) {
    const Sphere sphere(10.0f);
    const MateriauUniforme m = uni(Vecteur(1, 1, 1));
    const Objet objet(&sphere, Repere(Vecteur(0, 0, 20)), &m, Repere());
    const Lampe lampe(Vecteur(0, 0, -1), Vecteur(1, 1, 1)); // lights the back of the sphere
    const Pixel p = couleurLampe(objet, lampe, Vecteur(), versZ, 10.0f);
    EXPECT_EQ(p.r + p.g + p.b, 0);
}

TEST(CouleurPhong, HighlightTakesTheLampColour) {
    // Lamp and viewer both along the axis: cd = 1, R = V, cs = 1, so each channel is
    // 0.9 * L * C + 0.36 * L.
    const Sphere sphere(10.0f);
    const MateriauUniforme m = uni(Vecteur(0.0f, 0.5f, 1.0f));
    const Objet objet(&sphere, Repere(Vecteur(0, 0, 20)), &m, Repere());
    const Lampe lampe(Vecteur(0, 0, 1), Vecteur(1.0f, 1.0f, 0.5f));
    const Pixel p = couleurPhong(objet, lampe, Vecteur(), versZ, 10.0f);
    EXPECT_EQ(p.r, 91);  // 0.36 * 255 = 91.8
    EXPECT_EQ(p.g, 206); // (0.45 + 0.36) * 255 = 206.55
    EXPECT_EQ(p.b, 160); // (0.45 + 0.18) * 255 = 160.65
}

TEST(CouleurPhong, TurnedAwayIsBlack) {
    const Sphere sphere(10.0f);
    const MateriauUniforme m = uni(Vecteur(1, 1, 1));
    const Objet objet(&sphere, Repere(Vecteur(0, 0, 20)), &m, Repere());
    const Lampe lampe(directionLampeScene(), Vecteur(1, 1, 1));
    // Lower left of the sphere, normal (-0.6, 0.6, -0.53): away from the lamp.
    const Vecteur o(-6.0f, 6.0f, 0.0f);
    const float t = distanceImpact(objet, o, versZ);
    ASSERT_TRUE(estImpact(t));
    const Pixel p = couleurPhong(objet, lampe, o, versZ, t);
    EXPECT_EQ(p.r + p.g + p.b, 0);
}

TEST(DirectionLampeScene, UnitVectorAlongMinusOneOneOne) {
    const Vecteur d = directionLampeScene();
    EXPECT_EQ(d.x, -0.57735026f);
    EXPECT_EQ(d.y, 0.57735026f);
    EXPECT_EQ(d.z, 0.57735026f);
}
