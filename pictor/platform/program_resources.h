// The program's resource script and the files it includes, embedded at build time so that the
// layer reads the same menus that windres compiles into the Windows program.
#pragma once

#include "menu_script.h"

#include <string>

std::string programResourceScript();
IncludedFiles programResourceIncludes();
