// Helpers for the picture tests: a scratch directory per test, whole-file reads and writes, and
// pictures in the renderer's file layout.
#pragma once

#include "picture_state.h"
#include "support/read_file.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

inline void writeBytes(const std::filesystem::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A pixel pattern without symmetry, so that swapped channels, rows or columns show.
inline unsigned char patternByte(int r, int c, int channel) {
    return static_cast<unsigned char>(r * 7 + c * 3 + channel * 101 + (r * c) % 13);
}

// The raster of a width by height picture of patternByte, red, green, blue, row by row.
inline std::string patternRaster(int width, int height) {
    std::string raster;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            for (int channel = 0; channel < 3; ++channel)
                raster += static_cast<char>(patternByte(r, c, channel));
    return raster;
}

// A file of patternRaster in the renderer's layout, its sizes padded to three digits so that
// small pictures load too; from 100 to 999 these are exactly the renderer's bytes.
inline std::string patternFile(int width, int height) {
    char sizes[16];
    std::snprintf(sizes, sizeof sizes, "%03d %03d", width, height);
    return "P6\n#Kelvo\n" + std::string(sizes) + "\n255\n" + patternRaster(width, height);
}

// Each test starts from the empty picture, in a scratch directory of its own.
class PictureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        picture = PictureState{};
        dir = scratch.path();
    }
    void TearDown() override { picture = PictureState{}; }

    // Writes bytes to a file of the scratch directory and returns its path.
    std::string file(const std::string &name, const std::string &bytes) {
        const std::string path = (dir / name).string();
        writeBytes(path, bytes);
        return path;
    }

    ScratchDir scratch;
    std::filesystem::path dir;
};
