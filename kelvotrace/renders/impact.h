// Which object a ray hits.
#pragma once

#include <array>
#include <cstddef>

#include "rangee.h"

// A ray parameter counts as a hit only beyond 0.001 (in double), so a ray that starts on a
// surface does not hit it again.
inline bool estImpact(float t) { return static_cast<double>(t) > 0.001; }

// The first object of the list that the ray of column c hits, given each object's row of rays:
// its index in the list, or -1 when the ray hits none. A later object never wins, even when it
// is nearer along the ray.
template <std::size_t N> int premierImpact(const std::array<Rangee, N> &rangees, int c) {
    for (std::size_t k = 0; k < N; ++k) {
        if (estImpact(rangees[k].distance(c))) {
            return static_cast<int>(k);
        }
    }
    return -1;
}
