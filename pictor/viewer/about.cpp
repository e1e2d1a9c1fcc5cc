#include "commands.h"
#include "main_window.h"

void showAbout() {
    MessageBoxA(mainWindow, "Visualisation d'une image au format ppm \n", "About",
                MB_ICONINFORMATION);
}
