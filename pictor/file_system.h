// The few calls on files that the picture logic needs from the operating system, all in one
// place: opening a regular file for reading, and saving a file so that nothing is lost.
#pragma once

#include "file_handle.h"

#include <cstddef>
#include <string>
#include <utility>
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

// How a save ended: error is 0 when every byte is on disk, else the system's error number.
// leftover names, as the user would reach it, a file the save made and could not remove: with
// damaged, the copy of the old bytes that could not be put back into a file written in place
// (which may therefore be damaged); otherwise a stray temporary or copy, the save itself done or
// not as error tells.
struct SaveOutcome {
    SaveOutcome(int error_ = 0, std::string leftover_ = {})
        : error(error_), leftover(std::move(leftover_)) {}

    int error;
    std::string leftover;
    bool damaged = false;
};

// Saves the pieces, one after the other, as the file at path, each piece written by a call of
// its own.
//
// The name is opened as the user gave it, so that the system resolves its links with its own
// protections (a link planted in a shared sticky folder is refused); a dangling link is followed
// only where an open that creates would follow it. A new file, or a regular file with a single
// name whose owner, group, permissions, ACL and extended attributes the new file can carry, is
// replaced whole: the new file is written beside it, flushed and renamed over it, so a failed
// save leaves the old file as it was. Any other file is written in place (a second hard link, a
// folder the saver may not write, another user's file, an append-only folder, a bind mount),
// but only after a flushed copy of its old bytes is kept, beside it or else in the user's cache
// folder, and put back when the write fails; where no copy can be made the save is refused.
// When the disk has no room for the new copy, the save fails and nothing is overwritten. The
// temporary beside the file has a fixed name per file, so that the next save removes one left
// by a save that was killed. A device or a pipe with a reader is written as it is; a pipe
// without a reader fails at once with ENXIO.
SaveOutcome saveFile(const char *path, const std::vector<ByteSpan> &pieces);
