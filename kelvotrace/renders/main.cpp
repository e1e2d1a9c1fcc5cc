// kelvotrace: renders the six test scenes into the current directory, then pauses.
#include <csignal>
#include <cstdio>
#include <cstring>

#include "pause.h"
#include "renders.h"

namespace {

struct Rendu {
    const char *nom;
    int (*rendre)();
};

// In this order; each render writes <nom>.ppm.
constexpr Rendu rendus[] = {
    {"testinter", testinter}, {"testobj", testobj},   {"testnormale", testnormale},
    {"testMulti", testMulti}, {"testLamp", testLamp}, {"testZbuf_Phong", testZbuf_Phong},
};

} // namespace

int main() {
#ifdef SIGXFSZ
    // Past a file size limit a write then fails with EFBIG and is reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    int statut = 0;
    for (const Rendu &rendu : rendus) {
        const int erreur = rendu.rendre();
        if (erreur != 0) {
            std::fprintf(stderr, "kelvotrace: cannot write %s.ppm: %s\n", rendu.nom,
                         std::strerror(erreur));
            statut = 1;
        }
    }
    pauseConsole();
    return statut;
}
