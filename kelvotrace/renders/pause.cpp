#include "pause.h"

#include <cstdlib>

#ifdef _WIN32

void pauseConsole() { std::system("PAUSE"); }

#else

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Whether an executable named PAUSE stands in a directory of PATH.
bool commandePauseExiste() {
    const char *path = std::getenv("PATH");
    if (path == nullptr) {
        return false;
    }
    const std::string dossiers(path);
    std::size_t debut = 0;
    while (debut <= dossiers.size()) {
        std::size_t fin = dossiers.find(':', debut);
        if (fin == std::string::npos) {
            fin = dossiers.size();
        }
        const std::string dossier = fin > debut ? dossiers.substr(debut, fin - debut) : ".";
        if (access((dossier + "/PAUSE").c_str(), X_OK) == 0) {
            return true;
        }
        debut = fin + 1;
    }
    return false;
}

// The terminal's settings before the wait, for whatever ends it.
termios reglagesAvant{};

// Puts the settings back; blocking SIGTTOU lets this happen even once moved to the background.
void restaurerTerminal() {
    sigset_t ttou;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigset_t avant;
    sigprocmask(SIG_BLOCK, &ttou, &avant);
    tcsetattr(STDIN_FILENO, TCSANOW, &reglagesAvant);
    sigprocmask(SIG_SETMASK, &avant, nullptr);
}

// Ctrl-C, SIGTERM or SIGHUP during the wait: the terminal is restored, then the signal does
// what it would have done (the handler is reset to the default on entry).
extern "C" void restaurerPuisRelancer(int signal) {
    restaurerTerminal();
    raise(signal);
}

const int signauxDeFin[] = {SIGINT, SIGTERM, SIGHUP};

// Reads one more byte if it comes at once: the bytes of one key arrive together.
bool octetSuivant(unsigned char &octet) {
    pollfd attente{STDIN_FILENO, POLLIN, 0};
    return poll(&attente, 1, 50) == 1 && read(STDIN_FILENO, &octet, 1) == 1;
}

// Reads the rest of the key whose first byte is premier, and nothing after it: an escape
// sequence (ESC [ ... final byte, ESC O x, or ESC before a key held with Alt) or the further
// bytes of a UTF-8 character.
void lireFinDeTouche(unsigned char premier) {
    unsigned char octet = 0;
    if (premier == 0x1B) {
        if (!octetSuivant(octet)) {
            return; // Escape alone
        }
        if (octet == '[') {
            while (octetSuivant(octet) && (octet < 0x40 || octet > 0x7E)) {
            }
            return;
        }
        if (octet == 'O') {
            octetSuivant(octet);
            return;
        }
        premier = octet;
    }
    int suite = premier >= 0xF0 ? 3 : premier >= 0xE0 ? 2 : premier >= 0xC0 ? 1 : 0;
    while (suite-- > 0 && octetSuivant(octet)) {
    }
}

// The console's prompt: one key, unbuffered and unechoed, ends the wait.
void attendreUneTouche() {
    std::fputs("Press any key to continue . . . ", stdout);
    std::fflush(stdout);

    const bool brut = tcgetattr(STDIN_FILENO, &reglagesAvant) == 0;
    struct sigaction avant[3] = {};
    if (brut) {
        struct sigaction restauration {};
        restauration.sa_handler = restaurerPuisRelancer;
        restauration.sa_flags = SA_RESETHAND;
        sigemptyset(&restauration.sa_mask);
        for (int k = 0; k < 3; ++k) {
            sigaction(signauxDeFin[k], nullptr, &avant[k]);
            if (avant[k].sa_handler != SIG_IGN) { // a signal ignored stays ignored
                sigaction(signauxDeFin[k], &restauration, nullptr);
            }
        }
        termios touche = reglagesAvant;
        touche.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        touche.c_cc[VMIN] = 1;
        touche.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &touche);
    }
    unsigned char octet = 0;
    if (read(STDIN_FILENO, &octet, 1) == 1) { // end of input ends the wait as a key does
        lireFinDeTouche(octet);
    }
    if (brut) {
        restaurerTerminal();
        for (int k = 0; k < 3; ++k) {
            sigaction(signauxDeFin[k], &avant[k], nullptr);
        }
    }
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

} // namespace

void pauseConsole() {
    if (commandePauseExiste()) {
        const int resultat = std::system("PAUSE");
        static_cast<void>(resultat); // the pause's outcome changes nothing
    } else if (isatty(STDIN_FILENO) && tcgetpgrp(STDIN_FILENO) == getpgrp()) {
        // Only in the terminal's foreground: a program started in the background would stop
        // on its terminal settings and wait there for ever.
        attendreUneTouche();
    }
}

#endif
