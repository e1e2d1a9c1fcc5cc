#include "file_system.h"
#include "picture_state.h"

#include <cerrno>
#include <cstddef>
#include <new>
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

// The transformed planes as red, green, blue triplets, row by row from the top.
std::vector<unsigned char> raster() {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(picture.width) * 3 *
                                     static_cast<std::size_t>(picture.height));
    unsigned char *out = bytes.data();
    for (std::int32_t r = 0; r < picture.height && picture.width > 0; ++r) {
        const unsigned char *red = picture.transformedRed[r];
        const unsigned char *green = picture.transformedGreen[r];
        const unsigned char *blue = picture.transformedBlue[r];
        for (std::size_t c = 0; c < static_cast<std::size_t>(picture.width); ++c) {
            *out++ = red[c];
            *out++ = green[c];
            *out++ = blue[c];
        }
    }
    return bytes;
}

ByteSpan spanOf(const std::string &line) { return {line.data(), line.size()}; }

} // namespace

WriteResult writePicture(const char *path) {
    try {
        // Each header line is written by a call of its own, so that a failing device shows at
        // once; the raster follows in one piece.
        const std::string lines[] = {
            "P6\n", commentLine(path),
            std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n", "255\n"};
        const std::vector<unsigned char> bytes = raster();
        const std::vector<ByteSpan> pieces = {spanOf(lines[0]),
                                              spanOf(lines[1]),
                                              spanOf(lines[2]),
                                              spanOf(lines[3]),
                                              {bytes.data(), bytes.size()}};
        const SaveOutcome outcome = saveFile(path, pieces);
        return {outcome.error == 0, outcome.error, outcome.leftover, outcome.damaged};
    } catch (const std::bad_alloc &) {
        return {false, ENOMEM, {}, false};
    }
}
