#include "image/image.h"
#include "image/octet_couleur.h"

#include <gtest/gtest.h>

#include <type_traits>

TEST(Image, StartsBlackWithTheGivenSize) {
    const Image image(7, 3);
    ASSERT_EQ(image.nombrePixels(), 21);
    for (int k = 0; k < image.nombrePixels(); ++k) {
        EXPECT_EQ(image.pixels[k].r + image.pixels[k].g + image.pixels[k].b, 0) << k;
    }
    // The sizes cannot be changed apart from the pixels they describe.
    static_assert(std::is_const_v<decltype(Image::largeur)> &&
                  std::is_const_v<decltype(Image::hauteur)> &&
                  std::is_const_v<decltype(Image::pixels)>);
}

TEST(Image, NegativeSizeIsEmpty) {
    EXPECT_EQ(Image(-2, -3).nombrePixels(), 0);
    EXPECT_EQ(Image(5, -1).nombrePixels(), 0);
    EXPECT_EQ(Image(0, 9).nombrePixels(), 0);
}

TEST(OctetCouleur, TruncatesWithoutClampingOrRounding) {
    EXPECT_EQ(octetCouleur(1.0f), 255);
    EXPECT_EQ(octetCouleur(0.99f), 252);
    EXPECT_EQ(octetCouleur(0.5f), 127);
    EXPECT_EQ(octetCouleur(0.0f), 0);
    EXPECT_EQ(octetCouleur(236.0f / 255.0f), 236);
    EXPECT_EQ(octetCouleur(0.9254902f), 236);
}

TEST(OctetCouleur, KeepsTheLowByteAboveOne) {
    EXPECT_EQ(octetCouleur(8.3294115f), 75); // 2123.99993 -> 2123
    EXPECT_EQ(octetCouleur(8.682353f), 166); // 2214.00002 -> 2214
    EXPECT_EQ(octetCouleur(256.0f / 255.0f), 0);
}

TEST(OctetCouleur, NegativeValuesWrapLikeTwosComplement) {
    EXPECT_EQ(octetCouleur(-0.5f), 129); // -127
    EXPECT_EQ(octetCouleur(-0.3f), 180); // -76
    EXPECT_EQ(octetCouleur(-0.001f), 0); // -0.255 truncates to 0
}

TEST(OctetCouleur, NonFiniteAndHugeValuesGiveZero) {
    EXPECT_EQ(octetCouleur(std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(octetCouleur(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(octetCouleur(1e30f), 0);
}

TEST(Image, StartsAsTheGivenBackground) {
    for (const std::int16_t cote : {0, 1, 3, 31, 33, 450}) {
        const Image image(cote, 7, {10, 20, 40});
        for (int k = 0; k < image.nombrePixels(); ++k) {
            ASSERT_EQ(image.pixels[k].r * 65536 + image.pixels[k].g * 256 + image.pixels[k].b,
                      10 * 65536 + 20 * 256 + 40)
                << cote << " " << k;
        }
    }
}
