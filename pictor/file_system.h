// The few calls on files that the picture logic needs from the operating system, all in one
// place: opening a regular file for reading, and saving a file so that nothing is lost.
#pragma once

#include "file_handle.h"

#include <cstddef>
#include <vector>

// Opens path for reading only when it names a regular file. A directory, a device, a pipe or a
// socket is refused before any byte is read and without waiting for a writer; notRegular then
// says so. An empty handle otherwise means the open failed, and error tells why.
FileHandle openRegularFile(const char *path, std::vector<char> &buffer, bool &notRegular,
                           int &error);

// A run of bytes of a file being saved.
struct ByteSpan {
    const void *data;
    std::size_t size;
};

// Saves the pieces, one after the other, as the file at path, each piece written by a call of
// its own. Returns 0 when every byte is on disk, else the system's error number.
//
// A symbolic link is followed and keeps pointing where it did. A new file, or a regular file
// with a single name whose owner, group, permissions, ACL and extended attributes the new file
// can carry, is replaced whole: the new file is written beside it (on Linux without a name until
// complete) and renamed over it, so a failed save leaves the old file as it was and nothing
// else. Any other file is written in place, the way a plain copy does: a second hard link, a
// folder the saver may not write, another user's file, a bind mount. Its new size is reserved
// first, so that a full disk or a file size limit leaves it untouched. A device or a pipe with
// a reader is written in place as well; a pipe without a reader fails at once with ENXIO, and a
// name that cannot be resolved or examined fails with the system's reason.
int saveFile(const char *path, const std::vector<ByteSpan> &pieces);
