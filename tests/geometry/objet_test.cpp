#include "geometry/materiau_uniforme.h"
#include "geometry/objet.h"
#include "geometry/sphere.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "expect_vecteur.h"

namespace {

const MateriauUniforme materiauTest(1.0f, 0.36f, 1.0f, 1.0f, 1.0f, 1.0f, 5.0f,
                                    Vecteur(0.5f, 0.25f, 0.0f));

} // namespace

TEST(MateriauUniforme, SameTenValuesEverywhere) {
    const Materiau &materiau = materiauTest;
    for (const Vecteur &p : {Vecteur(0, 0, 0), Vecteur(1000, -3, 7)}) {
        const ProprietesMateriau m = materiau.proprietes(p);
        EXPECT_EQ(m.coef0, 1.0f);
        EXPECT_EQ(m.coefSpeculaire, 0.36f);
        EXPECT_EQ(m.coef2, 1.0f);
        EXPECT_EQ(m.coef3, 1.0f);
        EXPECT_EQ(m.coef4, 1.0f);
        EXPECT_EQ(m.coef5, 1.0f);
        EXPECT_EQ(m.exposantSpeculaire, 5.0f);
        expectVecteur(m.couleur, 0.5f, 0.25f, 0.0f);
    }
}

TEST(Objet, InversesComputedAtConstruction) {
    const Sphere sphere(-80.0f);
    const Objet objet(&sphere, Repere(Vecteur(-15, -14, 160)), &materiauTest,
                      Repere(Vecteur(1, 2, 3)));
    expectVecteur(objet.inverseForme.i, 1, 0, 0);
    expectVecteur(objet.inverseForme.origine, 15, 14, -160);
    expectVecteur(objet.inverseMateriau.origine, -1, -2, -3);
    expectVecteur(objet.repereForme.origine, -15, -14, 160);
    // A frame cannot be replaced without its inverse.
    static_assert(std::is_const_v<decltype(Objet::repereForme)> &&
                  std::is_const_v<decltype(Objet::inverseForme)> &&
                  std::is_const_v<decltype(Objet::repereMateriau)> &&
                  std::is_const_v<decltype(Objet::inverseMateriau)>);
}

TEST(Objet, WorldNormalOfAPlacedSphere) {
    for (float rayon : {80.0f, -80.0f}) {
        const Sphere sphere(rayon);
        const Objet objet(&sphere, Repere(Vecteur(-15, -14, 160)), &materiauTest, Repere());
        expectVecteur(objet.normale(Vecteur(-15, -14, 80)), 0, 0, -1);
        expectVecteur(objet.normale(Vecteur(65, -14, 160)), 1, 0, 0);
    }
}

TEST(Objet, WorldNormalIsNotRenormalised) {
    const Sphere sphere(1.0f);
    const Objet objet(&sphere,
                      Repere(Vecteur(2, 0, 0), Vecteur(0, 2, 0), Vecteur(0, 0, 2), Vecteur()),
                      &materiauTest, Repere());
    expectVecteur(objet.normale(Vecteur(0, 0, -2)), 0, 0, -0.5f);
}

TEST(Objet, NormalGoesThroughTheInverseTranspose) {
    // Stretched along x: the surface point (2, 0, 0) of the unit sphere becomes (4, 0, 0); a point
    // between the axes shows that normals are not mapped like vectors.
    const Sphere sphere(1.0f);
    const Objet objet(&sphere,
                      Repere(Vecteur(2, 0, 0), Vecteur(0, 1, 0), Vecteur(0, 0, 1), Vecteur()),
                      &materiauTest, Repere());
    const float s = 0.70710677f;
    const Vecteur n = objet.normale(Vecteur(2 * s, s, 0));
    EXPECT_FLOAT_EQ(n.x, 0.5f * normalise(Vecteur(s, s, 0)).x);
    EXPECT_FLOAT_EQ(n.y, normalise(Vecteur(s, s, 0)).y);
}

TEST(Objet, DegenerateShapeFrameThrows) {
    const Sphere sphere(1.0f);
    const Repere plat(Vecteur(1, 0, 0), Vecteur(0, 1, 0), Vecteur(1, 0, 0), Vecteur());
    EXPECT_THROW(Objet(&sphere, plat, &materiauTest, Repere()), RepereDegenere);
    EXPECT_THROW(Objet(&sphere, Repere(), &materiauTest, plat), RepereDegenere);
}
