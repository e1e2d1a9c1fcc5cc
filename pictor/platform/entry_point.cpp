// The C++ entry on Linux: hands over to the program's WinMain as Windows would.
#include "win32.h"

#include <glib.h>

#include <csignal>

int main(int argc, char **argv) {
    // A file size limit then fails the write with EFBIG, which Save as reports, instead of
    // killing the program.
    std::signal(SIGXFSZ, SIG_IGN);

    gchar *name = g_path_get_basename(argc > 0 ? argv[0] : "program");
    g_set_prgname(name);
    g_free(name);

    static char commandLine[] = ""; // the viewer takes no arguments
    // The instance is the program's module, whose resources its resource script gave.
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}
