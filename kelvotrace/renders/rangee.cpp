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

namespace {

Visee viser(const Sphere &sphere, const Repere &inverseForme, const Vecteur &d) {
    const Vecteur dl = inverseForme.appliqueVecteur(d);
    return {sphere, inverseForme, d, dl,
            DivisionExacte(2.0 * static_cast<double>(produitScalaire(dl, dl)))};
}

} // namespace

Rangee::Rangee(const Sphere &sphere, const Repere &inverseForme, const Vecteur &d,
               const Image &image, Normales normales_)
    : visee(viser(sphere, inverseForme, d)), hauteur(image.hauteur),
      plage(plageVisee(sphere.rayonEnglobant(), inverseForme, visee.directionLocale, image.largeur,
                       image.hauteur)),
      normales(normales_), x(abscissesFenetre(image.largeur, image.largeur + parGroupe)),
      t(x.size()), nx(x.size()), ny(x.size()), nz(x.size()) {}

namespace {

// Each of the two loops below runs without branches or calls, and reads local copies of the
// sphere and the frames, which no store of its own can change.

// The parameter at which each ray of the row at window ordinate y, in `colonnes`, meets the
// sphere.
AUSSI_AVX2 void toucherColonnes(const Visee &visee, const float *x, float y,
                                const Colonnes &colonnes, float *t) {
    const Sphere sphere = visee.sphere;
    const Repere inverseForme = visee.inverseForme;
    const Vecteur directionLocale = visee.directionLocale;
    visee.parDeuxA.avecDivision([&](const auto &parDeuxA) {
        for (int c = colonnes.premiere; c <= colonnes.derniere; ++c) {
            t[c] = sphere.intersection(inverseForme.appliquePoint(Vecteur(x[c], y, 0.0f)),
                                       directionLocale, parDeuxA);
        }
    });
}

// The unit world normal where each of those rays meets the sphere (a miss's is never read).
AUSSI_AVX2 void normalesColonnes(const Visee &visee, const float *x, float y,
                                 const Colonnes &colonnes, const float *t, float *nx, float *ny,
                                 float *nz) {
    const Sphere sphere = visee.sphere;
    const Repere inverseForme = visee.inverseForme;
    const Vecteur direction = visee.direction;
    for (int c = colonnes.premiere; c <= colonnes.derniere; ++c) {
        const Vecteur o(x[c], y, 0.0f);
        const Vecteur n = normalise(normaleMonde(sphere, inverseForme, t[c] * direction + o));
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
    toucherColonnes(visee, x.data(), y, groupes, t.data());
    if (normales == Normales::avec) {
        normalesColonnes(visee, x.data(), y, groupes, t.data(), nx.data(), ny.data(), nz.data());
    }
}
