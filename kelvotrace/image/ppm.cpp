#include "ppm.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

namespace {

struct FermeFichier {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

bool ecrit(std::FILE *f, const void *octets, std::size_t taille) {
    return taille == 0 || std::fwrite(octets, 1, taille, f) == taille;
}

} // namespace

bool ecrirePPM(const Image &image, const char *nom) {
    const std::string chemin = std::string(nom) + ".ppm";
    std::unique_ptr<std::FILE, FermeFichier> fichier(std::fopen(chemin.c_str(), "wb"));
    if (!fichier) {
        return false;
    }

    const std::string entete = "P6\n#Kelvo\n" + std::to_string(image.largeur) + " " +
                               std::to_string(image.hauteur) + "\n255\n";
    const std::size_t tailleRaster = static_cast<std::size_t>(image.nombrePixels()) * sizeof(Pixel);
    errno = 0;
    const bool complet = ecrit(fichier.get(), entete.data(), entete.size()) &&
                         ecrit(fichier.get(), image.pixels.get(), tailleRaster) &&
                         std::fflush(fichier.get()) == 0;
    const int erreur = errno;

    // A failed close loses buffered bytes just as a failed write does.
    const bool ferme = std::fclose(fichier.release()) == 0;
    if (!complet) {
        errno = erreur != 0 ? erreur : EIO;
        return false;
    }
    if (!ferme && errno == 0) {
        errno = EIO;
    }
    return ferme;
}
