#include "rangee.h"

#include "geometry/objet.h"
#include "vue.h"

// Where the processor has wider vector units (AVX2), the row's loops also run compiled for them:
// eight columns at a time. Only +, -, *, / and square roots are vectorised, and each rounds
// exactly as one column would, so both versions give the same bytes. GNU systems pick the
// version when the program starts.
#if defined(__has_attribute) && (defined(__x86_64__) || defined(__i386__)) && defined(__ELF__) &&  \
    defined(__GLIBC__)
#if __has_attribute(target_clones)
#define AUSSI_AVX2 __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef AUSSI_AVX2
#define AUSSI_AVX2
#endif

Rangee::Rangee(const Sphere &sphere_, const Repere &inverseForme_, const Vecteur &d,
               const Image &image)
    : sphere(sphere_), inverseForme(inverseForme_), direction(d),
      directionLocale(inverseForme_.appliqueVecteur(d)), hauteur(image.hauteur),
      plage(plageVisee(sphere_.rayonEnglobant(), inverseForme_, directionLocale, image.largeur,
                       image.hauteur)),
      x(abscissesFenetre(image.largeur, image.largeur + parGroupe)), t(x.size()), nx(x.size()),
      ny(x.size()), nz(x.size()) {}

namespace {

// The rays of the row at window ordinate y, in the columns `colonnes`: two loops without
// branches or calls, first the parameter at which each meets the sphere, then the unit world
// normal at that point (a miss's normal is never read). The sphere and the frames come by
// value, so that no store of the loops can change them.
AUSSI_AVX2 void lancerColonnes(const Sphere sphere, const Repere inverseForme, const Vecteur d,
                               const Vecteur directionLocale, const float *x, float y,
                               const Colonnes &colonnes, float *t, float *nx, float *ny,
                               float *nz) {
    for (int c = colonnes.premiere; c <= colonnes.derniere; ++c) {
        t[c] = sphere.intersection(inverseForme.appliquePoint(Vecteur(x[c], y, 0.0f)),
                                   directionLocale);
    }
    for (int c = colonnes.premiere; c <= colonnes.derniere; ++c) {
        const Vecteur n =
            normalise(normaleMonde(sphere, inverseForme, t[c] * d + Vecteur(x[c], y, 0.0f)));
        nx[c] = n.x;
        ny[c] = n.y;
        nz[c] = n.z;
    }
}

} // namespace

void Rangee::lancer(int ligne) {
    y = coordonneeFenetre(ligne, hauteur);
    lancees = plage.colonnes(ligne);
    // Whole groups of columns, so that the vector loops never finish one column at a time; the
    // columns cast beyond the row's are never read.
    Colonnes groupes = lancees;
    if (groupes.premiere <= groupes.derniere) {
        groupes.premiere -= groupes.premiere % parGroupe;
        groupes.derniere += parGroupe - 1 - (groupes.derniere - groupes.premiere) % parGroupe;
    }
    lancerColonnes(sphere, inverseForme, direction, directionLocale, x.data(), y, groupes, t.data(),
                   nx.data(), ny.data(), nz.data());
}
