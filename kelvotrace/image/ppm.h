// The binary PPM (P6) writer.
#pragma once

#include "image.h"

// Writes image to nom + ".ppm": "P6\n#Kelvo\n<largeur> <hauteur>\n255\n" then the raster.
// The header and the raster go out in one call where the system can gather them. An old file is
// written over in place and then cut to the new length: the same bytes, inode, links, owner and
// permissions as emptying it first would leave, without freeing its blocks. A named pipe that
// nobody reads fails at once. Returns true only when every byte was written and the file closed
// cleanly; on false, errno tells why (the file could not be created, the disk is full, ...).
// A write that fails leaves a regular file cut to the bytes written, with no old bytes after them.
bool ecrirePPM(const Image &image, const char *nom);
