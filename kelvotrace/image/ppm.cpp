#include "ppm.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace {

// Bytes of the file still to write, from one place in memory.
struct Morceau {
    const char *octets;
    std::size_t taille;
};

#ifdef _WIN32

int ouvrir(const char *chemin) {
    return _open(chemin, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}

// Windows has no gather write: the first piece, as much of it as the system takes at once.
long long ecrireMorceaux(int fd, const Morceau *morceaux, int) {
    return _write(fd, morceaux[0].octets,
                  static_cast<unsigned>(std::min<std::size_t>(morceaux[0].taille, INT_MAX)));
}

int fermerDescripteur(int fd) { return _close(fd); }

// Emptied when opened: nothing of the old file is left to cut.
long long tailleAncienne(int) { return 0; }

int couper(int, long long) { return 0; }

#else

// Opened without blocking, so that a named pipe nobody reads fails at once (ENXIO) instead of
// waiting forever; the writes then block as usual. An old file is not emptied here but written
// over and then cut (see Fichier::remplacer).
int ouvrir(const char *chemin) {
    const int fd = open(chemin, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
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

// The pieces (a header and a raster, no more) in one call, as far as the system takes them.
long long ecrireMorceaux(int fd, const Morceau *morceaux, int nombre) {
    iovec vecteurs[2];
    nombre = std::min(nombre, 2);
    for (int k = 0; k < nombre; ++k) {
        vecteurs[k].iov_base = const_cast<char *>(morceaux[k].octets);
        vecteurs[k].iov_len = morceaux[k].taille;
    }
    return writev(fd, vecteurs, nombre);
}

int fermerDescripteur(int fd) { return close(fd); }

// The length of the old file under fd, 0 where there is nothing to cut (a pipe, a device), -1
// when it cannot be known.
long long tailleAncienne(int fd) {
    struct stat etat;
    if (fstat(fd, &etat) != 0) {
        return -1;
    }
    return S_ISREG(etat.st_mode) ? static_cast<long long>(etat.st_size) : 0;
}

int couper(int fd, long long taille) { return ftruncate(fd, static_cast<off_t>(taille)); }

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

    // The pieces over the old file from its start, then the old file's tail cut away: the very
    // file that emptying it at the open gives (same inode, links, owner and permissions), for
    // less: O_TRUNC would free the old blocks and allocate them again, and on ext4 the close of a
    // file emptied so sends it to the disk there and then. When a write fails, the file is cut to
    // the bytes written, so that no old tail follows them. On false, errno tells the first failure.
    bool remplacer(Morceau *morceaux, int nombre) {
        const long long ancienne = tailleAncienne(fd);
        if (ancienne < 0) {
            return false;
        }
        long long ecrits = 0;
        const bool ecrit = ecrire(morceaux, nombre, ecrits);
        const int erreur = errno;
        if (ancienne > ecrits && couper(fd, ecrits) != 0 && ecrit) {
            return false;
        }
        errno = erreur;
        return ecrit;
    }

    // A failed close can lose written bytes just as a failed write does.
    bool fermer() {
        const int resultat = fermerDescripteur(fd);
        fd = -1;
        return resultat == 0;
    }

  private:
    // All the bytes of the pieces, in order: in one call unless the system takes fewer. Adds the
    // bytes written to total, also when it fails.
    bool ecrire(Morceau *morceaux, int nombre, long long &total) {
        while (true) {
            while (nombre > 0 && morceaux->taille == 0) {
                ++morceaux;
                --nombre;
            }
            if (nombre == 0) {
                return true;
            }
            const long long ecrits = ecrireMorceaux(fd, morceaux, nombre);
            if (ecrits < 0 && errno == EINTR) {
                continue;
            }
            if (ecrits <= 0) {
                if (ecrits == 0) {
                    errno = EIO;
                }
                return false;
            }
            total += ecrits;
            for (std::size_t reste = static_cast<std::size_t>(ecrits); reste > 0;) {
                const std::size_t pris = std::min(reste, morceaux->taille);
                morceaux->octets += pris;
                morceaux->taille -= pris;
                reste -= pris;
                if (morceaux->taille == 0) {
                    ++morceaux;
                    --nombre;
                }
            }
        }
    }

    int fd;
};

} // namespace

bool ecrirePPM(const Image &image, const char *nom) {
    const std::string chemin = std::string(nom) + ".ppm";
    Fichier fichier(chemin.c_str());
    if (!fichier.ouvert()) {
        return false;
    }

    // The header, then the raster straight from the picture: an array of Pixels is the raster.
    const std::string entete = "P6\n#Kelvo\n" + std::to_string(image.largeur) + " " +
                               std::to_string(image.hauteur) + "\n255\n";
    Morceau morceaux[] = {{entete.data(), entete.size()},
                          {reinterpret_cast<const char *>(image.pixels.get()),
                           static_cast<std::size_t>(image.nombrePixels()) * sizeof(Pixel)}};

    errno = 0;
    if (!fichier.remplacer(morceaux, 2)) {
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
