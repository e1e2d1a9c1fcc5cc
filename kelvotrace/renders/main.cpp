// kelvotrace: renders the six test scenes into the current directory, then pauses.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

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

// A picture that does not fit in memory is a picture not written, like a full disk.
int rendreSansAbandon(const Rendu &rendu) {
    try {
        return rendu.rendre();
    } catch (const std::bad_alloc &) {
        return ENOMEM;
    }
}

} // namespace

int main() {
#ifdef SIGXFSZ
    // Past a file size limit a write then fails with EFBIG and is reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef SIGPIPE
    // A standard error nobody reads any more must not end the renders that follow: the message
    // is lost, the pictures are still written and the exit status still tells.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    int statut = 0;
    for (const Rendu &rendu : rendus) {
        const int erreur = rendreSansAbandon(rendu);
        if (erreur != 0) {
            std::fprintf(stderr, "kelvotrace: cannot write %s.ppm: %s\n", rendu.nom,
                         std::strerror(erreur));
            statut = 1;
        }
    }
    try {
        pauseConsole();
    } catch (const std::bad_alloc &) {
        // Without memory for looking up the pause command there is no pause; the pictures stand.
    }
    return statut;
}
