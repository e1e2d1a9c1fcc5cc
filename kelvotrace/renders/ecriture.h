// The last step of every render: write the picture and say how that went.
#pragma once

#include <cerrno>

#include "image/ppm.h"

inline int ecrireRendu(const Image &image, const char *nom) {
    if (ecrirePPM(image, nom)) {
        return 0;
    }
    return errno != 0 ? errno : EIO;
}
