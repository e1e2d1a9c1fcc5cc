// What the scenes share.
#pragma once

#include <cmath>

#include "geometry/materiau_uniforme.h"
#include "geometry/objet.h"
#include "geometry/sphere.h"
#include "geometry/vecteur.h"
#include "image/image.h"
#include "rangee.h"
#include "vue.h"

// Every scene material has the same first seven values; only the colour differs.
inline MateriauUniforme materiauScene(const Vecteur &couleur) {
    return {1.0f, 0.36f, 1.0f, 1.0f, 1.0f, 1.0f, 5.0f, couleur};
}

// The lamp of both lit scenes travels along (-1, 1, 1): 1/sqrt(3) taken in double, then each
// component rounded to float.
inline Vecteur directionLampeScene() {
    const double s = 1.0 / std::sqrt(3.0);
    return {static_cast<float>(-1.0 * s), static_cast<float>(s), static_cast<float>(s)};
}

// A scene object made of a sphere of radius `rayon` centred at `centre` and a scene material of
// colour `couleur` placed at `origineMateriau`: a row of a scene's table. It keeps its sphere and
// material as the types they are, so that the pixel loops call them directly.
struct SphereColoree {
    SphereColoree(float rayon, const Vecteur &centre, const Vecteur &couleur,
                  const Vecteur &origineMateriau)
        : sphere(rayon), materiau(materiauScene(couleur)),
          objet(&sphere, Repere(centre), &materiau, Repere(origineMateriau)) {}
    SphereColoree(const SphereColoree &) = delete;
    SphereColoree &operator=(const SphereColoree &) = delete;

    // The material's properties at a world point, looked up in the material's frame.
    ProprietesMateriau proprietes(const Vecteur &point) const {
        return materiau.proprietes(objet.inverseMateriau.appliquePoint(point));
    }

    // The rays of `image` along the view against it, row by row.
    Rangee rangee(const Image &image) const {
        return Rangee(sphere, objet.inverseForme, directionVisee, image);
    }

    const Sphere sphere;
    const MateriauUniforme materiau;
    const Objet objet;
};
