// The six test renders. Each builds its scene, casts one ray per pixel, writes
// <name>.ppm into the current directory and returns 0, or, when the file could not be
// written, the errno value that tells why.
#pragma once

int testinter();      // silhouette of one sphere
int testobj();        // one sphere coloured by its material
int testnormale();    // headlight shading by the surface normal
int testMulti();      // three spheres, the first hit in list order wins
int testLamp();       // the three spheres lit by a directional lamp
int testZbuf_Phong(); // depth buffer and Phong shading, 500 by 500
