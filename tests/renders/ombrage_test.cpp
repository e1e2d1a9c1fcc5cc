// The per-ray steps on small hand-made scenes with known answers.
#include "impact.h"
#include "ombrage.h"
#include "scene.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "geometry/materiau_uniforme.h"
#include "geometry/objet.h"
#include "geometry/sphere.h"

namespace {

const Vecteur versZ(0.0f, 0.0f, 1.0f);

// The scene material's properties, of colour `couleur`.
ProprietesMateriau uni(const Vecteur &couleur) { return materiauScene(couleur).proprietes({}); }

// The front point of a sphere seen along +z, at depth z: its normal faces the viewer.
Surface faceA(float z) { return {Vecteur(0, 0, z), Vecteur(0, 0, -1)}; }

} // namespace

TEST(EstImpact, StrictlyBeyondAThousandth) {
    EXPECT_FALSE(estImpact(-1.0f));
    EXPECT_FALSE(estImpact(0.0f));
    EXPECT_FALSE(estImpact(0.000999f));
    EXPECT_TRUE(estImpact(0.001f)); // the float nearest 0.001 lies just above the double 0.001
    EXPECT_TRUE(estImpact(0.0010001f));
    EXPECT_TRUE(estImpact(80.0f));
}

TEST(Rangee, ParameterAndSurfaceOfEachColumn) {
    // A sphere of radius 10 at world (0, 0, 30); row 225 of a 450 by 450 picture is y = 0.
    const Sphere sphere(10.0f);
    const MateriauUniforme m = materiauScene(Vecteur(1, 1, 1));
    const Objet objet(&sphere, Repere(Vecteur(0, 0, 30)), &m, Repere());
    const Image image(450, 450);
    Rangee rangee(sphere, objet.inverseForme, versZ, image);
    rangee.lancer(225);
    EXPECT_EQ(rangee.distance(225), 20.0f);
    EXPECT_EQ(rangee.distance(235), -1.0f); // tangent
    EXPECT_EQ(rangee.distance(0), -1.0f);   // never cast
    const Surface s = rangee.surface(225);
    EXPECT_EQ(s.point.z, 20.0f);
    EXPECT_EQ(s.normale.z, -1.0f);
    rangee.lancer(300);
    EXPECT_GT(rangee.colonnes().premiere, rangee.colonnes().derniere); // the row misses it
}

TEST(PremierImpact, EarlierObjectWinsEvenWhenFarther) {
    const Sphere sphere(10.0f);
    const MateriauUniforme m = materiauScene(Vecteur(1, 1, 1));
    const Objet loin(&sphere, Repere(Vecteur(0, 0, 100)), &m, Repere());
    const Objet pres(&sphere, Repere(Vecteur(0, 0, 40)), &m, Repere());
    const Image image(450, 450);
    std::array<Rangee, 2> rangees{Rangee(sphere, loin.inverseForme, versZ, image),
                                  Rangee(sphere, pres.inverseForme, versZ, image)};
    for (Rangee &rangee : rangees) {
        rangee.lancer(225);
    }
    EXPECT_EQ(premierImpact(rangees, 225), 0);
    EXPECT_EQ(premierImpact(rangees, 275), -1);
    EXPECT_EQ(colonnesDe(rangees).premiere, rangees[0].colonnes().premiere);
}

TEST(CouleurImpact, CentreTakesTheFullColour) {
    const Pixel p = couleurImpact(faceA(80.0f), uni(Vecteur(0.9254902f, 0.9647059f, 0.0f)), versZ);
    EXPECT_EQ(p.r, 236);
    EXPECT_EQ(p.g, 246);
    EXPECT_EQ(p.b, 0);
}

TEST(CouleurLampe, FullLightWhereTheNormalFacesTheLamp) {
    // The lamp travels along +z, so the sphere's front point faces it squarely.
    const Lampe lampe(Vecteur(0, 0, 1), Vecteur(1.0f, 1.0f, 0.0f));
    const Pixel p = couleurLampe(faceA(10.0f), uni(Vecteur(1.0f, 0.5f, 1.0f)), lampe);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 127);
    EXPECT_EQ(p.b, 0); // a lamp channel of 0 blacks that channel out
}

TEST(CouleurLampe, UnnormalisedDirectionScalesTheCosine) {
    const Lampe lampe(Vecteur(0, 0, 2), Vecteur(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(couleurLampe(faceA(10.0f), uni(Vecteur(0.25f, 0.25f, 0.25f)), lampe).r,
              127); // 0.25 * 2 * 255
}

TEST(CouleurLampe, TurnedAwayIsBlack) {
    const Lampe lampe(Vecteur(0, 0, -1), Vecteur(1, 1, 1)); // lights the back of the sphere
    const Pixel p = couleurLampe(faceA(10.0f), uni(Vecteur(1, 1, 1)), lampe);
    EXPECT_EQ(p.r + p.g + p.b, 0);
}

TEST(CouleurPhong, HighlightTakesTheLampColour) {
    // Lamp and viewer both along the axis: cd = 1, R = V, cs = 1, so each channel is
    // 0.9 * L * C + 0.36 * L.
    const Lampe lampe(Vecteur(0, 0, 1), Vecteur(1.0f, 1.0f, 0.5f));
    const Pixel p = couleurPhong(faceA(10.0f), uni(Vecteur(0.0f, 0.5f, 1.0f)), lampe, versZ);
    EXPECT_EQ(p.r, 91);  // 0.36 * 255 = 91.8
    EXPECT_EQ(p.g, 206); // (0.45 + 0.36) * 255 = 206.55
    EXPECT_EQ(p.b, 160); // (0.45 + 0.18) * 255 = 160.65
}

TEST(CouleurPhong, TurnedAwayIsBlack) {
    const Lampe lampe(directionLampeScene(), Vecteur(1, 1, 1));
    // Lower left of a sphere, normal (-0.6, 0.6, -0.53): away from the lamp.
    const Surface s{Vecteur(-6, 6, 15), normalise(Vecteur(-0.6f, 0.6f, -0.53f))};
    const Pixel p = couleurPhong(s, uni(Vecteur(1, 1, 1)), lampe, versZ);
    EXPECT_EQ(p.r + p.g + p.b, 0);
    // 0 to the power 0 is 1: with that exponent the highlight is there even turned away.
    ProprietesMateriau sansExposant = uni(Vecteur(1, 1, 1));
    sansExposant.exposantSpeculaire = 0.0f;
    EXPECT_EQ(couleurPhong(s, sansExposant, lampe, versZ).r, 91); // 0.36 * 255
}

TEST(DirectionLampeScene, UnitVectorAlongMinusOneOneOne) {
    const Vecteur d = directionLampeScene();
    EXPECT_EQ(d.x, -0.57735026f);
    EXPECT_EQ(d.y, 0.57735026f);
    EXPECT_EQ(d.z, 0.57735026f);
}

TEST(Puissance, GivesPowsFloatForWholeExponentsOfACosine) {
    // Every 4096th float from 0 to 2 (the run over all of them agrees too), and a few others.
    for (int e = 1; e <= 8; ++e) {
        for (std::uint32_t bits = 0; bits <= 0x40000000u; bits += 4096) {
            float c;
            std::memcpy(&c, &bits, sizeof c);
            const float attendu = static_cast<float>(std::pow(static_cast<double>(c), e));
            ASSERT_EQ(ombrage::puissance(c, static_cast<float>(e)), attendu) << c << "^" << e;
        }
    }
    for (const float e : {0.0f, 0.5f, 9.0f, -1.0f}) {
        EXPECT_EQ(ombrage::puissance(0.5f, e), static_cast<float>(std::pow(0.5, e))) << e;
    }
    EXPECT_EQ(ombrage::puissance(3.0f, 5.0f), 243.0f);
}
