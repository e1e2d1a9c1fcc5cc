// Reading whole files and P6 rasters back in tests.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

inline std::string readFile(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A P6 file of four header lines ("P6", one comment, "W H", "255") and its raster.
struct PpmFile {
    int width = -1;
    int height = -1;
    std::string header;
    std::string raster;

    struct Rgb {
        int r, g, b;
        bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
        bool operator!=(const Rgb &o) const { return !(*this == o); }
    };

    Rgb at(int column, int row) const {
        const std::size_t k = (static_cast<std::size_t>(row) * width + column) * 3;
        return {static_cast<unsigned char>(raster[k]), static_cast<unsigned char>(raster[k + 1]),
                static_cast<unsigned char>(raster[k + 2])};
    }

    int count(const Rgb &colour) const {
        int n = 0;
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) {
                n += at(column, row) == colour ? 1 : 0;
            }
        }
        return n;
    }
};

inline PpmFile readPpm(const std::string &path) {
    PpmFile ppm;
    const std::string bytes = readFile(path);
    std::size_t end = 0;
    for (int line = 0; line < 4 && end != std::string::npos; ++line) {
        end = bytes.find('\n', end);
        if (end != std::string::npos) {
            ++end;
        }
    }
    if (end == std::string::npos) {
        return ppm;
    }
    ppm.header = bytes.substr(0, end);
    ppm.raster = bytes.substr(end);
    const std::size_t sizeLine = ppm.header.find('\n', ppm.header.find('\n') + 1) + 1;
    if (std::sscanf(ppm.header.c_str() + sizeLine, "%d %d", &ppm.width, &ppm.height) != 2) {
        ppm.width = ppm.height = -1;
    }
    return ppm;
}

inline std::ostream &operator<<(std::ostream &out, const PpmFile::Rgb &c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
