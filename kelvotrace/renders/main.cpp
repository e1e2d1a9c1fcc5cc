// kelvotrace: renders the six test scenes into the current directory, then pauses.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iterator>
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

// The render under way, for the last resort below.
const Rendu *enCours = nullptr;
const char *raisonMemoire = nullptr;

// With almost no memory left (ulimit -v a little above what the program needs to start) the
// runtime cannot even make the bad_alloc it throws, and ends the program through terminate
// with no exception. That is still a lack of memory: it is told as one, for the picture under
// way and each one after it, and the program exits 1. Anything else ends as before.
[[noreturn]] void manqueDeMemoire() {
    if (std::current_exception() != nullptr || enCours == nullptr) {
        std::abort();
    }
    for (const Rendu *rendu = enCours; rendu != std::end(rendus); ++rendu) {
        // No allocation here: plain writes of fixed texts.
        const char *morceaux[] = {"kelvotrace: cannot write ", rendu->nom, ".ppm: ", raisonMemoire,
                                  "\n"};
        for (const char *morceau : morceaux) {
            static_cast<void>(std::fwrite(morceau, 1, std::strlen(morceau), stderr));
        }
    }
    std::_Exit(1);
}

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
    raisonMemoire = std::strerror(ENOMEM);
    std::set_terminate(manqueDeMemoire);
    int statut = 0;
    for (const Rendu &rendu : rendus) {
        enCours = &rendu;
        const int erreur = rendreSansAbandon(rendu);
        if (erreur != 0) {
            std::fprintf(stderr, "kelvotrace: cannot write %s.ppm: %s\n", rendu.nom,
                         std::strerror(erreur));
            statut = 1;
        }
    }
    enCours = nullptr;
    try {
        pauseConsole();
    } catch (const std::bad_alloc &) {
        // Without memory for looking up the pause command there is no pause; the pictures stand.
    }
    return statut;
}
