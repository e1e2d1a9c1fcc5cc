// The file dialogs and message boxes, which the layer shows as modal GTK dialogs. Reading what a
// GetOpenFileNameA or GetSaveFileNameA call asks for from its OPENFILENAMEA, and handing the
// chosen path back into it, need no display.
#pragma once

#include "win32.h"

#include <string>
#include <vector>

struct FileFilter {
    std::string name;
    std::string pattern; // such as "*.ppm", or several: "*.ppm;*.pgm"
};

struct FileDialogRequest {
    std::string title;
    std::vector<FileFilter> filters;
    bool mustExist = false;
    bool confirmOverwrite = false;
};

// The sizes Win32 accepts: the whole structure, or its older form without the reserved fields.
bool dialogSizeAccepted(DWORD structSize);

// Reads the title, the filter list (pairs of strings, ended by an empty string) and the flags.
FileDialogRequest describeFileDialog(const OPENFILENAMEA &dialog);

// Whether a file name, as its bytes are stored, matches a filter's patterns ("*.ppm;*.pgm"):
// "*" is any run of bytes, "?" one byte, letters match either case and "*.*" matches every name.
bool filterMatches(const std::string &patterns, const char *name);

// Copies path and its terminating zero into the caller's buffer. False, with the buffer left as
// it was, when it does not fit in nMaxFile bytes.
bool storeChosenPath(OPENFILENAMEA &dialog, const std::string &path);
