// The few calls on files that the picture logic needs from the operating system, all in one
// place: opening a regular file for reading, and replacing a file whole or not at all.
#pragma once

#include "file_handle.h"

#include <string>
#include <vector>

// Opens path for reading only when it names a regular file. A directory, a device, a pipe or a
// socket is refused before any byte is read and without waiting for a writer; notRegular then
// says so. An empty handle otherwise means the open failed, and error tells why.
FileHandle openRegularFile(const char *path, std::vector<char> &buffer, bool &notRegular,
                           int &error);

// Where a save writes: a new file beside the chosen one, which takes the chosen name only once
// all of it is on disk, so a failed save leaves the old file as it was. A symbolic link keeps
// pointing where it did and its target is replaced; the old file's permission bits carry over.
// What a plain save could not write over (a read-only file, a folder) is refused as before; a
// name that is not a regular file (a device such as /dev/full, a pipe with a reader) is written
// in place, and a pipe without a reader fails at once with ENXIO.
class FileReplacement {
  public:
    // buffer becomes the stream's buffer: declare it before the replacement.
    FileReplacement(const char *path, std::vector<char> &buffer);
    ~FileReplacement(); // removes the new file unless it took the name
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    // Empty when the file could not be created; error() tells why.
    std::FILE *stream() const { return file_.get(); }

    // With written true, flushes everything to disk and gives the new file the chosen name.
    // Returns false, the new file removed, when written is false or when any of those steps
    // fails. Call it right after the writes: when written is false, error() then takes the
    // reason the failed write left in errno.
    bool commit(bool written);

    // Why the file could not be created or the commit failed: the system's error number.
    int error() const { return error_; }

  private:
    FileHandle file_;
    std::string target_;    // the file that is replaced: the chosen name, links followed
    std::string temporary_; // the new file's name, empty when writing in place
    int error_ = 0;
};
