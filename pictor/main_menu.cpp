// The viewer's menu for the layer on Linux: item for item the MENU of pictor.rc, which windres
// compiles into the Windows program (the Windows build checks that the two agree).
#include "menu.h"
#include "resource.h"

const MenuTable programMenu = {MENU_MAIN,
                               {
                                   {"Fichier", "Ouvrir", CMD_OPEN},
                                   {"Fichier", "Enregistrer sous", CMD_SAVE_AS},
                                   {"Fichier", nullptr, 0},
                                   {"Fichier", "Quitter", CMD_QUIT},
                                   {"About", "About", CMD_ABOUT},
                               }};
