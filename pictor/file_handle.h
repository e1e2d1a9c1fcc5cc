// A C stream that closes itself when its owner goes out of scope. The picture logic reads and
// writes through C streams; the few calls that differ by system live in file_system.cpp.
#pragma once

#include <cstdio>
#include <memory>

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

// Large stream buffers move a 3 MB picture in a few dozen reads or writes instead of hundreds.
constexpr std::size_t streamBufferSize = std::size_t{1} << 16;
