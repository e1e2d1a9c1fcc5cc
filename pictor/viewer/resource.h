// Identifiers shared by the menu resource script and the viewer's code.
#pragma once

#define MENU_MAIN 101

#define CMD_OPEN 40006
#define CMD_SAVE_AS 40007
#define CMD_QUIT 40009
#define CMD_ABOUT 40011
