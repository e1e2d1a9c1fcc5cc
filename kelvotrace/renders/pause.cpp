#include "pause.h"

#include <cstdlib>

#ifdef _WIN32

void pauseConsole() { std::system("PAUSE"); }

#else

#include <cerrno>
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

// The terminal's settings before the wait, for whatever ends or interrupts it, and the ones
// the wait uses: no line editing, no echo, one byte at a time.
termios reglagesAvant{};
termios reglagesTouche{};
// Whether the wait's settings are the terminal's, for a program continued after a stop.
volatile std::sig_atomic_t enAttente = 0;

// Applies settings; blocking SIGTTOU lets this happen even once moved to the background.
// Everything here is safe in a signal handler.
void reglerTerminal(const termios &reglages) {
    sigset_t ttou;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigset_t avant;
    sigprocmask(SIG_BLOCK, &ttou, &avant);
    tcsetattr(STDIN_FILENO, TCSANOW, &reglages);
    sigprocmask(SIG_SETMASK, &avant, nullptr);
}

void restaurerTerminal() { reglerTerminal(reglagesAvant); }

// A signal that ends the program: the terminal is restored, then the signal does what it would
// have done (the handler is reset to the default on entry).
extern "C" void restaurerPuisRelancer(int signal) {
    restaurerTerminal();
    raise(signal);
}

// Continued (fg after Ctrl-Z, or after a stop for reading in the background): the wait's
// settings again, but only in the terminal's foreground, where they belong to this program.
extern "C" void reprendre(int) {
    const int erreur = errno;
    if (enAttente != 0 && tcgetpgrp(STDIN_FILENO) == getpgrp()) {
        reglerTerminal(reglagesTouche);
    }
    errno = erreur;
}

// Ctrl-Z: the terminal is restored and the program stops as it would have; once continued, the
// handler stands again. Where the system refuses the stop (a process group with no shell to
// continue it, as when a terminal starts the program directly), the wait goes on: its settings
// come back at once.
extern "C" void suspendre(int) {
    const int erreur = errno;
    restaurerTerminal();
    struct sigaction defaut {};
    defaut.sa_handler = SIG_DFL;
    sigemptyset(&defaut.sa_mask);
    struct sigaction gestionnaire {};
    sigaction(SIGTSTP, &defaut, &gestionnaire);
    raise(SIGTSTP); // pending while this handler runs
    sigset_t tstp;
    sigemptyset(&tstp);
    sigaddset(&tstp, SIGTSTP);
    sigset_t masque;
    sigprocmask(SIG_UNBLOCK, &tstp, &masque); // stops here until continued
    sigprocmask(SIG_SETMASK, &masque, nullptr);
    sigaction(SIGTSTP, &gestionnaire, nullptr);
    reprendre(SIGCONT);
    errno = erreur;
}

// The catchable signals whose default action ends the program.
const int signauxDeFin[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM, SIGUSR1, SIGUSR2,
                            SIGALRM, SIGPIPE, SIGVTALRM, SIGPROF, SIGXCPU};
constexpr int nombreDeSignaux = sizeof signauxDeFin / sizeof signauxDeFin[0];

// The wait's handlers, and those they replace, put back when the wait ends.
class Gestionnaires {
  public:
    Gestionnaires() {
        for (int k = 0; k < nombreDeSignaux; ++k) {
            installer(signauxDeFin[k], restaurerPuisRelancer, SA_RESETHAND, avant[k]);
        }
        installer(SIGTSTP, suspendre, 0, avant[nombreDeSignaux]);
        installer(SIGCONT, reprendre, 0, avant[nombreDeSignaux + 1]);
    }
    ~Gestionnaires() {
        for (int k = 0; k < nombreDeSignaux; ++k) {
            sigaction(signauxDeFin[k], &avant[k], nullptr);
        }
        sigaction(SIGTSTP, &avant[nombreDeSignaux], nullptr);
        sigaction(SIGCONT, &avant[nombreDeSignaux + 1], nullptr);
    }
    Gestionnaires(const Gestionnaires &) = delete;
    Gestionnaires &operator=(const Gestionnaires &) = delete;

  private:
    // A signal ignored stays ignored.
    static void installer(int signal, void (*gestionnaire)(int), int drapeaux,
                          struct sigaction &ancien) {
        sigaction(signal, nullptr, &ancien);
        if (ancien.sa_handler != SIG_IGN) {
            struct sigaction nouveau {};
            nouveau.sa_handler = gestionnaire;
            nouveau.sa_flags = drapeaux;
            sigemptyset(&nouveau.sa_mask);
            sigaction(signal, &nouveau, nullptr);
        }
    }

    struct sigaction avant[nombreDeSignaux + 2] = {};
};

// Waits for the first byte of a key, through signals and on a terminal that an earlier program
// left non-blocking; false at the end of input.
bool premierOctet(unsigned char &octet) {
    for (;;) {
        pollfd attente{STDIN_FILENO, POLLIN, 0};
        if (poll(&attente, 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        const ssize_t lu = read(STDIN_FILENO, &octet, 1);
        if (lu == 1) {
            return true;
        }
        if (lu == 0 || (errno != EINTR && errno != EAGAIN)) {
            return false;
        }
    }
}

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

    unsigned char octet = 0;
    if (tcgetattr(STDIN_FILENO, &reglagesAvant) != 0) {
        if (premierOctet(octet)) { // end of input ends the wait as a key does
            lireFinDeTouche(octet);
        }
    } else {
        reglagesTouche = reglagesAvant;
        reglagesTouche.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        reglagesTouche.c_cc[VMIN] = 1;
        reglagesTouche.c_cc[VTIME] = 0;
        const Gestionnaires gestionnaires;
        enAttente = 1;
        reglerTerminal(reglagesTouche);
        if (premierOctet(octet)) {
            lireFinDeTouche(octet);
        }
        enAttente = 0;
        restaurerTerminal();
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
