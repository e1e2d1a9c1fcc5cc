#include "ppm.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

int ouvrir(const char *chemin) {
    return _open(chemin, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

long long ecrireBloc(int fd, const char *octets, std::size_t taille) {
    return _write(fd, octets, static_cast<unsigned>(taille));
}

int fermerDescripteur(int fd) { return _close(fd); }

#else

// Opened without blocking, so that a named pipe nobody reads fails at once (ENXIO) instead of
// waiting forever; the writes then block as usual.
int ouvrir(const char *chemin) {
    const int fd = open(chemin, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd >= 0) {
        const int drapeaux = fcntl(fd, F_GETFL);
        if (drapeaux == -1 || fcntl(fd, F_SETFL, drapeaux & ~O_NONBLOCK) == -1) {
            const int erreur = errno;
            close(fd);
            errno = erreur;
            return -1;
        }
    }
    return fd;
}

long long ecrireBloc(int fd, const char *octets, std::size_t taille) {
    return write(fd, octets, taille);
}

int fermerDescripteur(int fd) { return close(fd); }

#endif

class Fichier {
  public:
    explicit Fichier(const char *chemin) : fd(ouvrir(chemin)) {}
    Fichier(const Fichier &) = delete;
    Fichier &operator=(const Fichier &) = delete;
    ~Fichier() {
        if (fd >= 0) {
            fermerDescripteur(fd);
        }
    }

    bool ouvert() const { return fd >= 0; }

    // All the bytes, in one call unless the system takes fewer at a time.
    bool ecrire(const char *octets, std::size_t taille) {
        while (taille > 0) {
            const long long ecrits = ecrireBloc(fd, octets, taille);
            if (ecrits < 0 && errno == EINTR) {
                continue;
            }
            if (ecrits <= 0) {
                if (ecrits == 0) {
                    errno = EIO;
                }
                return false;
            }
            octets += ecrits;
            taille -= static_cast<std::size_t>(ecrits);
        }
        return true;
    }

    // A failed close can lose written bytes just as a failed write does.
    bool fermer() {
        const int resultat = fermerDescripteur(fd);
        fd = -1;
        return resultat == 0;
    }

  private:
    int fd;
};

} // namespace

bool ecrirePPM(const Image &image, const char *nom) {
    const std::string chemin = std::string(nom) + ".ppm";
    Fichier fichier(chemin.c_str());
    if (!fichier.ouvert()) {
        return false;
    }

    // The header goes into the room the picture keeps in front of its raster: one block.
    const std::string entete = "P6\n#Kelvo\n" + std::to_string(image.largeur) + " " +
                               std::to_string(image.hauteur) + "\n255\n";
    static_assert(Image::placeEntete >= 28, "room for \"P6\\n#Kelvo\\n-32768 -32768\\n255\\n\"");
    char *const debut = reinterpret_cast<char *>(image.pixels) - entete.size();
    std::memcpy(debut, entete.data(), entete.size());
    const std::size_t taille =
        entete.size() + static_cast<std::size_t>(image.nombrePixels()) * sizeof(Pixel);

    errno = 0;
    if (!fichier.ecrire(debut, taille)) {
        const int erreur = errno;
        fichier.fermer();
        errno = erreur != 0 ? erreur : EIO;
        return false;
    }
    if (!fichier.fermer()) {
        if (errno == 0) {
            errno = EIO;
        }
        return false;
    }
    return true;
}
