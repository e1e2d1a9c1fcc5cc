// The viewer's save or load alone, for the fault sweep: "save SOURCE TARGET" loads SOURCE, then
// saves it to TARGET; "load SOURCE SHOWN" loads SHOWN, then SOURCE. Only the second step's calls
// are counted. Prints the outcome and error number on standard error, for a save with the file
// it left behind and whether the target may be damaged; exits 1 when the outcome and the error
// disagree, or a load left a picture other than the old one or the new one whole.
#include "picture_state.h"

#include <cstdio>
#include <cstring>
#include <string>

extern "C" void fault_arm(int on) __attribute__((weak)); // from the preloaded library

namespace {

std::string contents() { // the planes, loaded and transformed, with the size
    std::string bytes = std::to_string(picture.width) + "x" + std::to_string(picture.height);
    for (const ColourPlane *plane :
         {&picture.loadedRed, &picture.loadedGreen, &picture.loadedBlue, &picture.transformedRed,
          &picture.transformedGreen, &picture.transformedBlue})
        for (int r = 0; r < picture.height; ++r)
            bytes.append(reinterpret_cast<const char *>((*plane)[r]), picture.width);
    return bytes;
}

void arm(int on) {
    if (fault_arm != nullptr)
        fault_arm(on);
}

bool load(const char *path) {
    const bool ok = loadPicture(path).status == LoadStatus::ok;
    if (ok)
        transformPicture();
    return ok;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4 || !load(argv[std::strcmp(argv[1], "save") == 0 ? 2 : 3]))
        return 2;
    if (std::strcmp(argv[1], "save") == 0) {
        arm(1);
        const WriteResult result = writePicture(argv[3]);
        arm(0);
        // On standard error: a save may write to standard output.
        std::fprintf(stderr, "%s %d%s%s%s\n", result.written ? "saved" : "error", result.error,
                     result.damaged ? " damaged" : "",
                     result.leftover.empty() ? "" : " leftover=", result.leftover.c_str());
        return result.written == (result.error == 0) ? 0 : 1;
    }
    const std::string shown = contents();
    arm(1);
    const LoadResult result = loadPicture(argv[2]);
    const bool loaded = result.status == LoadStatus::ok;
    if (loaded)
        transformPicture();
    arm(0);
    const std::string after = contents();
    std::fprintf(stderr, "%s %d\n", loaded ? "loaded" : "error", result.error);
    const std::string expected = loaded && load(argv[2]) ? contents() : shown;
    return loaded == (result.error == 0) && after == expected ? 0 : 1;
}
