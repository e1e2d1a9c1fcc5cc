// The orthographic view shared by every render: one ray per pixel along +z through a window
// 450 world units wide, from -225 on both axes. Row 0 (the top of the file) is y = -225.
#pragma once

#include <vector>

#include "geometry/vecteur.h"
#include "image/image.h"

// The window coordinate of pixel index `indice` along an axis of `taille` pixels: the product
// is exact, the division and the subtraction are in double, the result rounded to float once.
inline float coordonneeFenetre(int indice, int taille) {
    return static_cast<float>(static_cast<double>(indice * 450) / taille - 225.0);
}

// The window coordinates of all columns of a row, computed once per render.
inline std::vector<float> abscissesFenetre(int largeur) {
    std::vector<float> x(static_cast<std::size_t>(largeur));
    for (int c = 0; c < largeur; ++c) {
        x[static_cast<std::size_t>(c)] = coordonneeFenetre(c, largeur);
    }
    return x;
}

inline const Vecteur directionVisee{0.0f, 0.0f, 1.0f};

// Calls f(o, l, c) for the ray of every pixel, with o its origin, l its row and c its column,
// from the last row and column backwards.
template <typename F> void parcourirRayons(int largeur, int hauteur, F &&f) {
    const std::vector<float> x = abscissesFenetre(largeur);
    for (int l = hauteur - 1; l >= 0; --l) {
        const float y = coordonneeFenetre(l, hauteur);
        for (int c = largeur - 1; c >= 0; --c) {
            f(Vecteur(x[static_cast<std::size_t>(c)], y, 0.0f), l, c);
        }
    }
}

// Gives every pixel the colour that couleurRayon(o) returns for its ray.
template <typename F> void remplirImage(Image &image, F &&couleurRayon) {
    const int largeur = image.largeur;
    parcourirRayons(largeur, image.hauteur, [&](const Vecteur &o, int l, int c) {
        image.pixels[l * largeur + c] = couleurRayon(o);
    });
}
