// A C stream that closes itself when its owner goes out of scope. The picture logic uses C
// streams rather than POSIX calls so that it builds unchanged for every platform.
#pragma once

#include <cstdio>
#include <memory>
#include <vector>

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

// Large stream buffers move a 3 MB picture in a few dozen reads or writes instead of hundreds.
constexpr std::size_t streamBufferSize = std::size_t{1} << 16;

// Opens path in the given fopen mode, with buffer as the stream's buffer: declare the buffer
// before the handle so that it outlives the stream. The handle is empty when the open fails
// (errno tells why).
inline FileHandle openFile(const char *path, const char *mode, std::vector<char> &buffer) {
    FileHandle file(std::fopen(path, mode), &std::fclose);
    if (file)
        std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());
    return file;
}
