// The off-screen image that SetPixel writes: colour layout, clipping and erasing.
#include "painting.h"

#include <gtest/gtest.h>

namespace {

TEST(PixelImage, ColourValueBecomesTheRgb24WordCairoShows) {
    PixelImage image;
    image.reset(3, 2, RGB(200, 200, 200));
    // colour = red + 256 * green + 65536 * blue
    EXPECT_EQ(image.set(2, 1, 0x11 + 256 * 0x22 + 65536 * 0x33), 0x332211u);
    EXPECT_EQ(image.data()[1 * 3 + 2], 0x112233u); // 0x00RRGGBB
    EXPECT_EQ(image.data()[0], 0xC8C8C8u);
}

TEST(PixelImage, TopByteOfTheColourIsIgnored) {
    PixelImage image;
    image.reset(1, 1, 0);
    EXPECT_EQ(image.set(0, 0, 0xFF0000FFu), 0x0000FFu);
    EXPECT_EQ(image.data()[0], 0xFF0000u);
}

TEST(PixelImage, PixelsOutsideAreClippedAndNothingElseChanges) {
    PixelImage image;
    image.reset(4, 3, RGB(1, 2, 3));
    EXPECT_EQ(image.set(4, 0, RGB(9, 9, 9)), CLR_INVALID);
    EXPECT_EQ(image.set(0, 3, RGB(9, 9, 9)), CLR_INVALID);
    EXPECT_EQ(image.set(-1, 0, RGB(9, 9, 9)), CLR_INVALID);
    for (int i = 0; i < 4 * 3; ++i)
        EXPECT_EQ(image.data()[i], 0x010203u);
}

TEST(PixelImage, ResetAndFillEraseEveryPixel) {
    PixelImage image;
    image.reset(2, 2, RGB(0, 0, 0));
    image.set(1, 1, RGB(5, 6, 7));
    image.fill(RGB(200, 200, 200));
    EXPECT_EQ(image.data()[1 * 2 + 1], 0xC8C8C8u);
    image.reset(0, 5, RGB(0, 0, 0));
    EXPECT_EQ(image.width(), 0);
    EXPECT_EQ(image.set(0, 0, 1), CLR_INVALID);
}

} // namespace
