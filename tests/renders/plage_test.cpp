// The columns of each row whose rays can meet a sphere: every ray outside them really misses.
#include "impact.h"
#include "rangee.h"
#include "vue.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "geometry/sphere.h"

namespace {

struct Cas {
    std::string nom;
    float rayon;
    Repere inverseForme; // world to sphere
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

TEST(Rangee, EveryRayOutsideTheCastColumnsMissesWhenTestedInFull) {
    for (const Cas &c : cas) {
        const Sphere sphere(c.rayon);
        const Image image(c.taille, c.taille);
        Rangee rangee(sphere, c.inverseForme, c.direction, image);
        const Vecteur dl = c.inverseForme.appliqueVecteur(c.direction);
        int dehors = 0, touches = 0, lignes = 0, gauche = c.taille, droite = -1;
        for (int l = 0; l < c.taille; ++l) {
            rangee.lancer(l);
            const Colonnes lancees = rangee.colonnes();
            if (lancees.premiere <= lancees.derniere) {
                ++lignes;
                gauche = std::min(gauche, lancees.premiere);
                droite = std::max(droite, lancees.derniere);
            }
            for (int colonne = 0; colonne < c.taille; ++colonne) {
                const Vecteur o(coordonneeFenetre(colonne, c.taille),
                                coordonneeFenetre(l, c.taille), 0.0f);
                const float t = sphere.intersection(c.inverseForme.appliquePoint(o), dl);
                if (colonne >= lancees.premiere && colonne <= lancees.derniere) {
                    ASSERT_EQ(rangee.distance(colonne), t) << c.nom << ": " << l << ", " << colonne;
                    touches += estImpact(t) ? 1 : 0;
                } else {
                    ++dehors;
                    ASSERT_EQ(t, -1.0f) << c.nom << ": row " << l << ", column " << colonne;
                }
            }
        }
        // A round disc's rows and columns are its diameter and a few pixels.
        const bool rond =
            c.inverseForme.i.x == 1.0f && c.inverseForme.j.y == 1.0f && c.direction.x == 0;
        const int cote = static_cast<int>(2.0f * std::fabs(c.rayon) * c.taille / 450.0f) + 6;
        const int colonnes = droite - gauche + 1;
        EXPECT_TRUE(!rond || (lignes <= cote + 1 && colonnes <= cote + 1)) << c.nom;
        // Row by row, a disc's columns leave out most of its square's corners.
        EXPECT_LT(c.taille * c.taille - dehors, 0.9 * lignes * colonnes) << c.nom;
        EXPECT_GT(touches, 0) << c.nom;
    }
}

TEST(Rangee, TheDepthBufferRayJustOffTheSurfaceIsCast) {
    // Column 250 of row 239 meets the front sphere at t in (0, 0.001]: it must still be cast.
    const Sphere sphere(-40.0f);
    const Image image(500, 500);
    Rangee rangee(sphere, centreEn(0.0f, -10.0f, 40.0f), versZ, image);
    rangee.lancer(239);
    EXPECT_GT(rangee.distance(250), 0.0f);
    EXPECT_FALSE(estImpact(rangee.distance(250)));
}

TEST(Rangee, NoBoundCastsEveryRayAndOffThePictureNone) {
    const Image image(450, 450);
    for (const float rayon :
         {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(), 1e30f}) {
        const Sphere sphere(rayon);
        Rangee rangee(sphere, Repere(), versZ, image);
        for (const int l : {0, 449}) {
            rangee.lancer(l);
            EXPECT_EQ(rangee.colonnes().premiere, 0) << rayon;
            EXPECT_EQ(rangee.colonnes().derniere, 449) << rayon;
        }
    }
    const Sphere petite(10.0f);
    Rangee ailleurs(petite, centreEn(400.0f, 0.0f, 50.0f), versZ, image);
    for (int l = 0; l < 450; ++l) {
        ailleurs.lancer(l);
        ASSERT_GT(ailleurs.colonnes().premiere, ailleurs.colonnes().derniere) << l;
    }
}
