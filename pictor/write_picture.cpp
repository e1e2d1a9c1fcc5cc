#include "file_system.h"
#include "picture_state.h"

#include <cstddef>
#include <string>
#include <vector>

namespace {

// The comment line names the file being written. A line feed or carriage return in the name
// would end the line early and leave a file that cannot be read back, so each becomes a space.
std::string commentLine(const char *path) {
    std::string line = "# ";
    for (const char *p = path; *p != '\0'; ++p)
        line += (*p == '\n' || *p == '\r') ? ' ' : *p;
    line += " image transform\xE9" // "é" as the single Windows-1252 byte
            "e\n";
    return line;
}

// Writes one header line and flushes it, so that a failing device shows at once.
bool writeLine(std::FILE *file, const std::string &line) {
    return std::fwrite(line.data(), 1, line.size(), file) == line.size() && std::fflush(file) == 0;
}

// Writes the transformed planes as red, green, blue triplets, row by row from the top.
bool writeRaster(std::FILE *file) {
    if (picture.width <= 0)
        return true; // rows without columns have no bytes
    std::vector<unsigned char> row(static_cast<std::size_t>(picture.width) * 3);
    for (std::int32_t r = 0; r < picture.height; ++r) {
        const unsigned char *red = picture.transformedRed[r];
        const unsigned char *green = picture.transformedGreen[r];
        const unsigned char *blue = picture.transformedBlue[r];
        for (std::size_t c = 0; c < static_cast<std::size_t>(picture.width); ++c) {
            row[3 * c] = red[c];
            row[3 * c + 1] = green[c];
            row[3 * c + 2] = blue[c];
        }
        if (std::fwrite(row.data(), 1, row.size(), file) != row.size())
            return false;
    }
    return true;
}

} // namespace

WriteResult writePicture(const char *path) {
    std::vector<char> buffer(streamBufferSize);
    FileReplacement file(path, buffer);
    if (file.stream() == nullptr)
        return {false, file.error()};

    const bool written = writeLine(file.stream(), "P6\n") &&
                         writeLine(file.stream(), commentLine(path)) &&
                         writeLine(file.stream(), std::to_string(picture.width) + " " +
                                                      std::to_string(picture.height) + "\n") &&
                         writeLine(file.stream(), "255\n") && writeRaster(file.stream());
    const bool saved = file.commit(written);
    return {saved, file.error()};
}
