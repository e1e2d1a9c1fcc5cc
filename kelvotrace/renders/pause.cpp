#include "pause.h"

#include <cstdlib>

#ifdef _WIN32

void pauseConsole() { std::system("PAUSE"); }

#else

#include <cstdio>
#include <cstring>
#include <string>
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

// The console's prompt: one key, unbuffered and unechoed, ends the wait.
void attendreUneTouche() {
    std::fputs("Press any key to continue . . . ", stdout);
    std::fflush(stdout);

    termios avant{};
    const bool brut = tcgetattr(STDIN_FILENO, &avant) == 0;
    if (brut) {
        termios touche = avant;
        touche.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        touche.c_cc[VMIN] = 1;
        touche.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &touche);
    }
    char octet = 0;
    const ssize_t lus = read(STDIN_FILENO, &octet, 1);
    static_cast<void>(lus); // end of input ends the wait as a key does
    if (brut) {
        tcsetattr(STDIN_FILENO, TCSANOW, &avant);
    }
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

} // namespace

void pauseConsole() {
    if (commandePauseExiste()) {
        const int resultat = std::system("PAUSE");
        static_cast<void>(resultat); // the pause's outcome changes nothing
    } else if (isatty(STDIN_FILENO)) {
        attendreUneTouche();
    }
}

#endif
