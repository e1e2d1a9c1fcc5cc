// The range of pixels whose rays can meet a shape: every ray outside it really misses.
#include "impact.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "geometry/sphere.h"

namespace {

struct Cas {
    std::string nom;
    float rayon;
    Repere versLocal; // world to sphere
    Vecteur direction;
    std::int16_t taille;
};

Repere centreEn(float x, float y, float z) { return Repere(Vecteur(x, y, z)).inverse(); }

const Vecteur versZ(0.0f, 0.0f, 1.0f);

// Every object of the six scenes, then frames and directions that keep no disc round.
const Cas cas[] = {
    {"testinter", 80.0f, Repere(Vecteur(-15.0f, -14.0f, -160.0f)), versZ, 450},
    {"testobj, testnormale", -80.0f, centreEn(-15.0f, -14.0f, 160.0f), versZ, 450},
    {"testMulti, testLamp: gauche", -25.0f, centreEn(-130.0f, 0.0f, 80.0f), versZ, 450},
    {"testMulti, testLamp: droite", -55.0f, centreEn(130.0f, -25.0f, 80.0f), versZ, 450},
    {"testMulti, testLamp: milieu", -40.0f, centreEn(-15.0f, -14.0f, 80.0f), versZ, 450},
    {"testZbuf_Phong: devant", -40.0f, centreEn(0.0f, -10.0f, 40.0f), versZ, 500},
    {"testZbuf_Phong: derriere", -55.0f, centreEn(50.0f, -20.0f, 80.0f), versZ, 500},
    {"testZbuf_Phong: gauche", -25.0f, centreEn(-130.0f, 0.0f, 80.0f), versZ, 500},
    {"sheared and stretched", 50.0f,
     Repere(Vecteur(1.0f, 0.3f, 0.0f), Vecteur(-0.2f, 1.5f, 0.1f), Vecteur(0.1f, 0.0f, 0.8f),
            Vecteur(40.0f, -30.0f, 120.0f))
         .inverse(),
     versZ, 450},
    {"slanted rays, half off the picture", 60.0f, centreEn(200.0f, 150.0f, 90.0f),
     Vecteur(0.2f, -0.1f, 1.0f), 450},
};

} // namespace

TEST(PlageVisee, EveryRayOutsideTheRangeMissesWhenTestedInFull) {
    for (const Cas &c : cas) {
        const Sphere sphere(c.rayon);
        const Image image(c.taille, c.taille);
        const auto vise = viser(sphere, c.versLocal, c.direction, image);
        const Vecteur dl = c.versLocal.appliqueVecteur(c.direction);
        int dehors = 0, touches = 0;
        for (int l = 0; l < c.taille; ++l) {
            for (int colonne = 0; colonne < c.taille; ++colonne) {
                const Vecteur o(coordonneeFenetre(colonne, c.taille),
                                coordonneeFenetre(l, c.taille), 0.0f);
                const float t = sphere.intersection(c.versLocal.appliquePoint(o), dl);
                if (vise.plage.contient(l, colonne)) {
                    touches += estImpact(t) ? 1 : 0;
                } else {
                    ++dehors;
                    ASSERT_EQ(t, -1.0f) << c.nom << ": row " << l << ", column " << colonne;
                }
            }
        }
        // A round disc's range is its square and a few pixels.
        const bool rond = c.versLocal.i.x == 1.0f && c.versLocal.j.y == 1.0f && c.direction.x == 0;
        const int cote = static_cast<int>(2.0f * std::fabs(c.rayon) * c.taille / 450.0f) + 6;
        EXPECT_TRUE(!rond || vise.plage.ligneMax - vise.plage.ligneMin <= cote) << c.nom;
        EXPECT_TRUE(!rond || vise.plage.colonneMax - vise.plage.colonneMin <= cote) << c.nom;
        EXPECT_GT(dehors, c.taille * c.taille / 2) << c.nom;
        // Row by row, a disc's range leaves out most of its square's corners.
        const int lignes = vise.plage.ligneMax - vise.plage.ligneMin + 1;
        const int colonnes = vise.plage.colonneMax - vise.plage.colonneMin + 1;
        EXPECT_LT(c.taille * c.taille - dehors, 0.85 * lignes * colonnes) << c.nom;
        EXPECT_GT(touches, 0) << c.nom;
    }
}

TEST(PlageVisee, TheDepthBufferRayJustOffTheSurfaceStaysInside) {
    // Column 250 of row 239 meets the front sphere at t in (0, 0.001]: it must still be cast.
    const Sphere sphere(-40.0f);
    const Repere versLocal = centreEn(0.0f, -10.0f, 40.0f);
    const Image image(500, 500);
    const auto vise = viser(sphere, versLocal, versZ, image);
    EXPECT_TRUE(vise.plage.contient(239, 250));
    const float t = distanceImpact(vise, RayonPixel{Vecteur(0.0f, -9.900001f, 0.0f), 239, 250});
    EXPECT_GT(t, 0.0f);
    EXPECT_FALSE(estImpact(t));
}

TEST(PlageVisee, NoBoundMeansEveryRayIsCast) {
    const Image image(450, 450);
    for (const float rayon :
         {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(), 1e30f}) {
        const Sphere sphere(rayon);
        const Plage plage = viser(sphere, Repere(), versZ, image).plage;
        EXPECT_EQ(plage.ligneMin, 0) << rayon;
        EXPECT_EQ(plage.ligneMax, 449) << rayon;
        EXPECT_EQ(plage.colonneMin, 0) << rayon;
        EXPECT_EQ(plage.colonneMax, 449) << rayon;
    }
    // Seen only through the shape interface, a sphere has no known bound either.
    const Sphere petite(10.0f);
    const Plage entiere = viser(static_cast<const Forme &>(petite), Repere(), versZ, image).plage;
    EXPECT_EQ(entiere.ligneMax - entiere.ligneMin, 449);
    EXPECT_EQ(entiere.colonneMax - entiere.colonneMin, 449);
}

TEST(PlageVisee, AnObjectOffThePictureCastsNoRay) {
    const Sphere sphere(10.0f);
    const Image image(450, 450);
    EXPECT_TRUE(viser(sphere, centreEn(400.0f, 0.0f, 50.0f), versZ, image).plage.vide());
    EXPECT_TRUE(reunion(Plage{0, -1, 0, -1}, Plage{3, 4, 5, 6}).contient(4, 6));
}
