// A C stream that closes itself when its owner goes out of scope. The picture logic uses C
// streams rather than POSIX calls so that it builds unchanged for every platform.
#pragma once

#include <cstdio>
#include <memory>

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

// Opens path in the given fopen mode; the handle is empty when the open fails (errno tells why).
inline FileHandle openFile(const char *path, const char *mode) {
    return FileHandle(std::fopen(path, mode), &std::fclose);
}
