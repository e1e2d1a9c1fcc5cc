// Each render run in a scratch directory, its file read back and checked pixel by pixel.
#include "renders.h"

#include <gtest/gtest.h>

#include "support/read_file.h"
#include "support/scratch_dir.h"

namespace {

using Rgb = PpmFile::Rgb;

PpmFile render(int (*renderer)(), const char *file) {
    EXPECT_EQ(renderer(), 0);
    return readPpm(file);
}

// Pixels strictly inside the circle of radius r around (cx, cy): the hits of a sphere's disc.
int insideCircle(int width, int height, int cx, int cy, int r) {
    int n = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            n += (column - cx) * (column - cx) + (row - cy) * (row - cy) < r * r ? 1 : 0;
        }
    }
    return n;
}

} // namespace

TEST(Testinter, RedDiscOnBlue) {
    ScratchDir dir;
    const PpmFile ppm = render(testinter, "testinter.ppm");
    EXPECT_EQ(ppm.header, "P6\n#Kelvo\n450 450\n255\n");
    ASSERT_EQ(ppm.raster.size(), 607500u);
    const Rgb red{255, 0, 0}, blue{0, 0, 255};
    EXPECT_EQ(ppm.at(240, 239), red);
    EXPECT_EQ(ppm.at(0, 0), blue);
    EXPECT_EQ(ppm.at(449, 449), blue);
    EXPECT_EQ(ppm.count(red), 20069);
    EXPECT_EQ(ppm.count(blue), 182431);
    EXPECT_EQ(insideCircle(450, 450, 240, 239, 80), 20069);
    for (int column = 0; column < 450; ++column) {
        EXPECT_EQ(ppm.at(column, 239), column >= 161 && column <= 319 ? red : blue) << column;
    }
    for (int row = 0; row < 450; ++row) {
        EXPECT_EQ(ppm.at(240, row), row >= 160 && row <= 318 ? red : blue) << row;
    }
    // Tangent rays, exactly 80 from the centre, miss.
    EXPECT_EQ(ppm.at(288, 303), blue);
}

TEST(Testobj, MaterialColourWrapsInsteadOfClamping) {
    ScratchDir dir;
    const PpmFile ppm = render(testobj, "testobj.ppm");
    EXPECT_EQ(ppm.header, "P6\n#Kelvo\n450 450\n255\n");
    const Rgb disc{75, 166, 0}, blue{0, 0, 255};
    EXPECT_EQ(ppm.at(210, 211), disc);
    EXPECT_EQ(ppm.at(0, 0), blue);
    EXPECT_EQ(ppm.count(disc), 20069);
    EXPECT_EQ(ppm.count(blue), 182431);
    EXPECT_EQ(ppm.at(131, 211), disc);
    EXPECT_EQ(ppm.at(289, 211), disc);
    EXPECT_EQ(ppm.at(130, 211), blue);
    EXPECT_EQ(ppm.at(290, 211), blue);
}

TEST(Testnormale, HeadlightShading) {
    ScratchDir dir;
    const PpmFile ppm = render(testnormale, "testnormale.ppm");
    EXPECT_EQ(ppm.header, "P6\n#Kelvo\n450 450\n255\n");
    const Rgb background{0, 0, 32};
    EXPECT_EQ(ppm.at(210, 211), (Rgb{236, 246, 0}));
    EXPECT_EQ(ppm.at(250, 211), (Rgb{204, 213, 0}));
    EXPECT_EQ(ppm.at(210, 251), (Rgb{204, 213, 0}));
    EXPECT_EQ(ppm.at(258, 259), (Rgb{124, 130, 0}));
    EXPECT_EQ(ppm.at(289, 211), (Rgb{37, 38, 0}));
    EXPECT_EQ(ppm.at(290, 211), background);
    EXPECT_NE(ppm.at(131, 211), background);
    EXPECT_EQ(ppm.at(130, 211), background);
    EXPECT_NE(ppm.at(210, 132), background);
    EXPECT_EQ(ppm.at(210, 131), background);
    EXPECT_EQ(ppm.count(background), 182431);
    for (const auto &corner : {std::pair{0, 0}, {449, 0}, {0, 449}, {449, 449}}) {
        EXPECT_EQ(ppm.at(corner.first, corner.second), background);
    }
}

TEST(TestMulti, FirstHitAmongThreeSpheres) {
    ScratchDir dir;
    const PpmFile ppm = render(testMulti, "testMulti.ppm");
    EXPECT_EQ(ppm.header, "P6\n#Kelvo\n450 450\n255\n");
    const Rgb background{0, 0, 32};
    EXPECT_EQ(ppm.at(95, 225), (Rgb{0, 246, 236}));
    EXPECT_EQ(ppm.at(355, 200), (Rgb{255, 0, 0}));
    EXPECT_EQ(ppm.at(210, 211), (Rgb{236, 246, 0}));
    EXPECT_EQ(ppm.at(119, 225), (Rgb{0, 68, 66}));
    EXPECT_EQ(ppm.at(95, 249), (Rgb{0, 68, 66}));
    EXPECT_EQ(ppm.at(409, 200), (Rgb{48, 0, 0}));
    EXPECT_EQ(ppm.at(355, 146), (Rgb{48, 0, 0}));
    EXPECT_EQ(ppm.at(249, 211), (Rgb{52, 54, 0}));
    EXPECT_EQ(ppm.at(210, 172), (Rgb{52, 54, 0}));
    EXPECT_EQ(ppm.at(230, 211), (Rgb{204, 213, 0}));
    EXPECT_EQ(ppm.at(385, 160), (Rgb{106, 0, 0}));
    for (const auto &tangent : {std::pair{120, 225}, {410, 200}, {250, 211}, {210, 251}}) {
        EXPECT_EQ(ppm.at(tangent.first, tangent.second), background);
    }
    EXPECT_EQ(ppm.count(background), 186081);
    EXPECT_EQ(insideCircle(450, 450, 95, 225, 25), 1941);
    EXPECT_EQ(insideCircle(450, 450, 355, 200, 55), 9465);
    EXPECT_EQ(insideCircle(450, 450, 210, 211, 40), 5013);
}

TEST(TestLamp, DiffuseLightFromOneLamp) {
    ScratchDir dir;
    const PpmFile ppm = render(testLamp, "testLamp.ppm");
    EXPECT_EQ(ppm.header, "P6\n#Kelvo\n450 450\n255\n");
    EXPECT_EQ(ppm.count(Rgb{10, 10, 40}), 186081);
    EXPECT_EQ(ppm.at(95, 225), (Rgb{9, 40, 108}));
    EXPECT_EQ(ppm.at(355, 200), (Rgb{115, 11, 10}));
    EXPECT_EQ(ppm.at(210, 211), (Rgb{108, 138, 0}));
    // Turned away from the light: black, not background, on the left and lower limb.
    EXPECT_EQ(ppm.at(75, 238), (Rgb{0, 0, 0}));
    EXPECT_EQ(ppm.at(315, 225), (Rgb{0, 0, 0}));
    EXPECT_EQ(ppm.at(185, 228), (Rgb{0, 0, 0}));
    // Brighter up and to the right of a centre than at it.
    EXPECT_GT(ppm.at(220, 201).g, ppm.at(210, 211).g);
    int maxRed = 0, maxGreen = 0, maxBlue = 0;
    for (int row = 0; row < 450; ++row) {
        for (int column = 0; column < 450; ++column) {
            const Rgb p = ppm.at(column, row);
            maxRed = std::max(maxRed, p.r);
            maxGreen = std::max(maxGreen, p.g);
            maxBlue = std::max(maxBlue, p.b);
        }
    }
    EXPECT_LE(maxRed, 200);
    EXPECT_LE(maxGreen, 240);
    EXPECT_LE(maxBlue, 188);
}

TEST(TestZbufPhong, DepthBufferAndHighlights) {
    ScratchDir dir;
    const PpmFile ppm = render(testZbuf_Phong, "testZbuf_Phong.ppm");
    EXPECT_EQ(ppm.header, "P6\n#Kelvo\n500 500\n255\n");
    ASSERT_EQ(ppm.raster.size(), 750000u);
    EXPECT_EQ(ppm.at(0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(ppm.at(499, 499), (Rgb{0, 0, 0}));
    // The one ray whose parameter falls in (0, 0.001]: no hit, yet it claims the pixel.
    EXPECT_EQ(ppm.at(250, 239), (Rgb{10, 10, 40}));
    EXPECT_EQ(ppm.count(Rgb{10, 10, 40}), 1);
    EXPECT_EQ(ppm.at(250, 250), (Rgb{64, 77, 28}));
    EXPECT_EQ(ppm.at(330, 200), (Rgb{220, 79, 79}));
    EXPECT_EQ(ppm.at(105, 250), (Rgb{12, 38, 100}));
}
