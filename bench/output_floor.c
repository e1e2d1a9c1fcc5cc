// The floor under kelvotrace's wall time: a program that writes six files of the same names and
// sizes, each in one write from memory that is already there, and does nothing else. It is
// linked statically, so that no dynamic loading is counted in the floor.
#define _POSIX_C_SOURCE 200809L
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// Windows has no O_CLOEXEC, and its text mode would turn each '\n' into two bytes.
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif

// The header and the raster of the largest picture, filled once. Left all zeros, the raster's
// pages would never be touched and every write would copy the kernel's one shared zero page: no
// picture a program makes is written that cheaply.
static char octets[22 + 500 * 500 * 3];

// Writes the first taille bytes of octets to chemin, over the old file in place: O_TRUNC would
// free the old blocks and, on ext4, start writing the new ones back at close; cutting only a
// longer old file gives the same bytes for less.
static int ecrireFichier(const char *chemin, size_t taille) {
    const int fd = open(chemin, O_WRONLY | O_CREAT | O_CLOEXEC | O_BINARY, 0666);
    if (fd < 0) {
        return -1;
    }
    struct stat etat;
    int resultat = fstat(fd, &etat);
    for (size_t ecrits = 0; resultat == 0 && ecrits < taille;) {
        const ssize_t n = write(fd, octets + ecrits, taille - ecrits);
        if (n > 0) {
            ecrits += (size_t)n;
        } else if (n == 0 || errno != EINTR) {
            if (n == 0) {
                errno = EIO;
            }
            resultat = -1;
        }
    }
    if (resultat == 0 && S_ISREG(etat.st_mode) && etat.st_size > (off_t)taille) {
        resultat = ftruncate(fd, (off_t)taille);
    }
    const int erreur = errno;
    if (close(fd) != 0 && resultat == 0) {
        return -1;
    }
    errno = erreur;
    return resultat;
}

int main(void) {
    // Both headers are 22 bytes long: the one in front of the raster is swapped in place.
    static const struct {
        const char *nom, *entete;
        size_t taille;
    } fichiers[] = {
        {"testinter.ppm", "P6\n#Kelvo\n450 450\n255\n", 22 + 450 * 450 * 3},
        {"testobj.ppm", "P6\n#Kelvo\n450 450\n255\n", 22 + 450 * 450 * 3},
        {"testnormale.ppm", "P6\n#Kelvo\n450 450\n255\n", 22 + 450 * 450 * 3},
        {"testMulti.ppm", "P6\n#Kelvo\n450 450\n255\n", 22 + 450 * 450 * 3},
        {"testLamp.ppm", "P6\n#Kelvo\n450 450\n255\n", 22 + 450 * 450 * 3},
        {"testZbuf_Phong.ppm", "P6\n#Kelvo\n500 500\n255\n", 22 + 500 * 500 * 3},
    };
    memset(octets, 0x80, sizeof octets);
    int statut = 0;
    for (size_t k = 0; k < sizeof fichiers / sizeof fichiers[0]; ++k) {
        memcpy(octets, fichiers[k].entete, 22);
        if (ecrireFichier(fichiers[k].nom, fichiers[k].taille) != 0) {
            perror(fichiers[k].nom);
            statut = 1;
        }
    }
    return statut;
}
