// The viewer's load and save, alone, for the fault-injection sweep. The calls of the one step
// under test are counted: "save SOURCE TARGET" loads SOURCE and saves it to TARGET; "load SOURCE
// OTHER" shows OTHER, then loads SOURCE. Prints the outcome and the error number; exits 1 when
// a load changed the picture and failed, or left it half made.
#include "picture_state.h"

#include <cstdio>
#include <cstring>
#include <string>

extern "C" void fault_arm(int on) __attribute__((weak)); // from the preloaded library

namespace {

void arm(int on) {
    if (fault_arm != nullptr)
        fault_arm(on);
}

// A digest of the picture's size and planes, loaded and transformed.
unsigned long digest() {
    unsigned long hash = 1469598103u;
    const auto mix = [&hash](unsigned value) { hash = (hash ^ value) * 1099511628211u; };
    mix(static_cast<unsigned>(picture.width));
    mix(static_cast<unsigned>(picture.height));
    for (const ColourPlane *plane : {&picture.loadedRed, &picture.loadedGreen, &picture.loadedBlue,
                                     &picture.transformedRed, &picture.transformedGreen,
                                     &picture.transformedBlue})
        for (int r = 0; r < picture.height; ++r)
            for (int c = 0; c < picture.width; ++c)
                mix((*plane)[r][c]);
    return hash;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4)
        return 2;
    const bool save = std::strcmp(argv[1], "save") == 0;
    if (loadPicture(argv[save ? 2 : 3]).status != LoadStatus::ok)
        return 2;
    transformPicture();
    if (save) {
        arm(1);
        const WriteResult result = writePicture(argv[3]);
        arm(0);
        std::printf("%s %d\n", result.written ? "saved" : "error", result.error);
        return result.written == (result.error == 0) ? 0 : 1;
    }
    const unsigned long shown = digest();
    arm(1);
    const LoadResult result = loadPicture(argv[2]);
    if (result.status == LoadStatus::ok)
        transformPicture();
    arm(0);
    const bool ok = result.status == LoadStatus::ok;
    const unsigned long after = digest();
    loadPicture(argv[2]);
    transformPicture();
    std::printf("%s %d\n", ok ? "loaded" : "error", result.error);
    return after == (ok ? digest() : shown) ? 0 : 1;
}
