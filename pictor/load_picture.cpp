#include "file_system.h"
#include "picture_state.h"

#include <cerrno>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace {

// Consumes bytes through the next line feed; false when the file ends first.
bool skipLine(std::FILE *file) {
    for (;;) {
        const int byte = std::getc(file);
        if (byte == EOF)
            return false;
        if (byte == '\n')
            return true;
    }
}

// White space as atoi skips it, fixed to the C locale so that the toolkit's locale cannot
// change how a header reads.
bool isAtoiSpace(unsigned char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
           byte == '\r';
}

// Converts a three-byte size field as atoi converts text: leading white space, one optional
// sign, then decimal digits up to the first other byte. No digits give 0.
std::int32_t sizeFieldValue(const unsigned char (&field)[3]) {
    std::size_t i = 0;
    while (i < 3 && isAtoiSpace(field[i]))
        ++i;
    bool negative = false;
    if (i < 3 && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    std::int32_t value = 0;
    for (; i < 3 && field[i] >= '0' && field[i] <= '9'; ++i)
        value = value * 10 + (field[i] - '0');
    return negative ? -value : value;
}

// Reads one three-byte size field; false when the file ends first.
bool readSizeField(std::FILE *file, std::int32_t &value) {
    unsigned char field[3];
    if (std::fread(field, 1, sizeof field, file) != sizeof field)
        return false;
    value = sizeFieldValue(field);
    return true;
}

// Reads the fixed header layout: magic line, one comment line, three-byte width, one separator
// byte, three-byte height, one line-end byte, maximum-value line. Only the sizes are used.
bool readHeader(std::FILE *file, std::int32_t &width, std::int32_t &height) {
    return skipLine(file) && skipLine(file) && readSizeField(file, width) &&
           std::getc(file) != EOF && readSizeField(file, height) && std::getc(file) != EOF &&
           skipLine(file);
}

// Stores the red, green, blue triplets of one raster row. A short row (the file ended) stores
// the bytes it has, in the same places, and leaves the rest as they are.
void storeRow(const std::vector<unsigned char> &row, std::size_t count, PictureState &state,
              std::int32_t r) {
    unsigned char *planes[3] = {state.loadedRed[r], state.loadedGreen[r], state.loadedBlue[r]};
    const std::size_t whole = count / 3;
    for (std::size_t c = 0; c < whole; ++c) {
        planes[0][c] = row[3 * c];
        planes[1][c] = row[3 * c + 1];
        planes[2][c] = row[3 * c + 2];
    }
    for (std::size_t i = 3 * whole; i < count; ++i)
        planes[i % 3][whole] = row[i];
}

// Reads the raster row by row from the top until the picture is full or the file ends.
void readRaster(std::FILE *file, PictureState &state) {
    if (state.width <= 0)
        return; // rows without columns have no bytes
    std::vector<unsigned char> row(static_cast<std::size_t>(state.width) * 3);
    for (std::int32_t r = 0; r < state.height; ++r) {
        const std::size_t count = std::fread(row.data(), 1, row.size(), file);
        storeRow(row, count, state, r);
        if (count < row.size())
            return;
    }
}

// The load itself; an allocation failure leaves it as std::bad_alloc.
LoadResult readPicture(const char *path) {
    std::vector<char> buffer(streamBufferSize);
    bool notRegular = false;
    int error = 0;
    const FileHandle file = openRegularFile(path, buffer, notRegular, error);
    if (!file)
        return {notRegular ? LoadStatus::notRegularFile : LoadStatus::cannotOpen, error};

    // Everything goes into a fresh state that replaces the current picture only on success.
    // A read error (a directory, a failing device) is no short file: the file could not be
    // read, and the failed read left the reason in errno.
    PictureState loaded;
    if (!readHeader(file.get(), loaded.width, loaded.height)) {
        if (std::ferror(file.get()))
            return {LoadStatus::cannotOpen, errno};
        return {LoadStatus::truncatedHeader, 0};
    }
    if (loaded.width < 0 || loaded.height < 0)
        return {LoadStatus::negativeSize, 0};

    // Three digits bound both sizes by 999, so these allocations stay small.
    loaded.loadedRed = blankPlane(loaded.width, loaded.height);
    loaded.loadedGreen = blankPlane(loaded.width, loaded.height);
    loaded.loadedBlue = blankPlane(loaded.width, loaded.height);
    // The transformed planes exist from the start, blank, so that every plane has the
    // picture's size even before transformPicture.
    loaded.transformedRed = blankPlane(loaded.width, loaded.height);
    loaded.transformedGreen = blankPlane(loaded.width, loaded.height);
    loaded.transformedBlue = blankPlane(loaded.width, loaded.height);
    readRaster(file.get(), loaded);
    if (std::ferror(file.get()))
        return {LoadStatus::cannotOpen, errno};

    picture = std::move(loaded);
    return {LoadStatus::ok, 0};
}

} // namespace

LoadResult loadPicture(const char *path) {
    try {
        return readPicture(path);
    } catch (const std::bad_alloc &) {
        return {LoadStatus::cannotOpen, ENOMEM}; // the fresh state is gone, the picture kept
    }
}
