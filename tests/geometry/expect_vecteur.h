// Exact comparison of a vector with three expected components, each reported on its own.
#pragma once

#include <gtest/gtest.h>

#include "geometry/vecteur.h"

inline void expectVecteur(const Vecteur &v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}
