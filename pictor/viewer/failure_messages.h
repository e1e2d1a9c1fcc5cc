// The texts of the message boxes that report a failed Open or Save as, in the viewer's French.
#pragma once

#include "picture_state.h"

#include <string>

// Why a file could not be opened, created or written, from the system's error number.
std::string systemReason(int errorNumber);

// Open failed: names the file and the reason, and says the shown picture is unchanged.
std::string openFailureText(const char *path, const LoadResult &result);

// Save as failed: names the file and the reason.
std::string saveFailureText(const char *path, int errorNumber);

// A chosen path did not fit the path buffer: names the limit and, as above, what it means for
// the picture or the file.
std::string pathTooLongText(bool forSaving);

// The captions of those boxes.
extern const char *const openFailureCaption;
extern const char *const saveFailureCaption;
