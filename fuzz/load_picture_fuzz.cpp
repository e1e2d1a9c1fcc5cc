// Feeds arbitrary bytes to loadPicture through a real file and checks the result against a
// byte-by-byte reading of the same bytes: the sizes, the status, and every plane byte (0 where
// the file ended). A failed load must leave the previous picture in place.
#include "picture_state.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const std::string &inputPath() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("load_picture_fuzz_" + std::to_string(getpid()) + ".ppm"))
                                        .string();
    return path;
}

void removeInput() { std::remove(inputPath().c_str()); }

void writeInput(const std::uint8_t *data, std::size_t size) {
    std::FILE *file = std::fopen(inputPath().c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
}

void check(bool condition) {
    if (!condition)
        std::abort();
}

// The header read one byte at a time, the sizes converted by the C library's own atoi.
struct Expected {
    LoadStatus status = LoadStatus::truncatedHeader;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t rasterStart = 0;
};

Expected readExpected(const std::uint8_t *data, std::size_t size) {
    Expected expected;
    std::size_t pos = 0;
    auto skipLine = [&] {
        while (pos < size)
            if (data[pos++] == '\n')
                return true;
        return false;
    };
    auto sizeField = [&](std::int32_t &value) {
        if (size - pos < 3)
            return false;
        const char text[4] = {static_cast<char>(data[pos]), static_cast<char>(data[pos + 1]),
                              static_cast<char>(data[pos + 2]), '\0'};
        value = std::atoi(text);
        pos += 3;
        return true;
    };
    auto skipByte = [&] {
        if (pos == size)
            return false;
        ++pos;
        return true;
    };
    if (!(skipLine() && skipLine() && sizeField(expected.width) && skipByte() &&
          sizeField(expected.height) && skipByte() && skipLine()))
        return expected;
    expected.status =
        expected.width < 0 || expected.height < 0 ? LoadStatus::negativeSize : LoadStatus::ok;
    expected.rasterStart = pos;
    return expected;
}

void checkLoadedPlanes(const std::uint8_t *data, std::size_t size, const Expected &expected) {
    const ColourPlane *planes[3] = {&picture.loadedRed, &picture.loadedGreen, &picture.loadedBlue};
    std::size_t pos = expected.rasterStart;
    for (const ColourPlane *plane : planes)
        check(plane->rows.size() == static_cast<std::size_t>(expected.height));
    for (std::int32_t r = 0; r < expected.height; ++r)
        for (std::int32_t c = 0; c < expected.width; ++c)
            for (const ColourPlane *plane : planes) {
                const std::uint8_t byte = pos < size ? data[pos] : 0;
                check((*plane)[r][c] == byte);
                ++pos;
            }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    std::atexit(removeInput);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    writeInput(data, size);
    const std::int32_t widthBefore = picture.width;
    const std::int32_t heightBefore = picture.height;
    const void *rowsBefore = picture.loadedRed.rows.data();

    const Expected expected = readExpected(data, size);
    const LoadStatus status = loadPicture(inputPath().c_str()).status;
    check(status == expected.status);
    if (status != LoadStatus::ok) {
        check(picture.width == widthBefore && picture.height == heightBefore &&
              picture.loadedRed.rows.data() == rowsBefore);
        return 0;
    }
    check(picture.width == expected.width && picture.height == expected.height);
    checkLoadedPlanes(data, size, expected);

    transformPicture();
    check(picture.transformedBlue.rows.size() == static_cast<std::size_t>(picture.height));
    return 0;
}
