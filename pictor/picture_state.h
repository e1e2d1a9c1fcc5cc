// The viewer's one picture: three colour planes as loaded from a P6 file and the three planes
// derived from them, which are painted and saved. No toolkit or platform header here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One colour channel: a table of row references, each row a block of its own that the plane
// owns. plane[r][c] is the byte of row r (0 = top) and column c (0 = left).
struct ColourPlane {
    std::vector<std::unique_ptr<unsigned char[]>> rows;
    std::int32_t width = 0; // bytes in each row

    unsigned char *operator[](int r) { return rows[static_cast<std::size_t>(r)].get(); }
    const unsigned char *operator[](int r) const { return rows[static_cast<std::size_t>(r)].get(); }
};

struct PictureState {
    std::int32_t width = 0;
    std::int32_t height = 0;
    ColourPlane loadedRed, loadedGreen, loadedBlue;
    ColourPlane transformedRed, transformedGreen, transformedBlue;
};

// The process-wide picture that the window paints and the commands change.
extern PictureState picture;

// A plane of height rows of width bytes, every byte 0.
ColourPlane blankPlane(std::int32_t width, std::int32_t height);

// How a load ended. On any failure the current picture is left exactly as it was;
// cannotOpen means the file could not be opened or read; notRegularFile that the path names a
// device, a pipe or a socket, which is refused before any byte is read.
enum class LoadStatus { ok, cannotOpen, truncatedHeader, negativeSize, notRegularFile };

// A load's status and, with cannotOpen, the system's error number that tells why (0 if unknown;
// ENOMEM when the picture did not fit in memory).
struct LoadResult {
    LoadStatus status;
    int error;
};

// Whether a save wrote the whole file and, when not, the system's error number that tells why
// (0 if unknown; ENOMEM when memory ran out). leftover, when not empty, is a file the save could
// not remove: with damaged, the copy of the old file's bytes that could not be put back, so that
// the file may be damaged; otherwise a stray temporary or copy.
struct WriteResult {
    bool written;
    int error;
    std::string leftover = {};
    bool damaged = false;
};

// Reads the P6 file at path into the loaded planes of the current picture. On success the whole
// picture is replaced: new size, new loaded planes, and blank (all 0) transformed planes until
// transformPicture. Raster bytes missing at the end of the file are 0.
LoadResult loadPicture(const char *path);

// Derives the transformed planes from the loaded ones (the identity: a byte-for-byte copy).
void transformPicture();

// Writes the transformed planes as a P6 file whose comment line names path. Not written when
// any byte could not be written or flushed to disk; how the old file is kept is saveFile's.
WriteResult writePicture(const char *path);
