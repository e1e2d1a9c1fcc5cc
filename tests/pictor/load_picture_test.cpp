#include "picture_files.h"
#include "picture_state.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The red, green, blue bytes of the loaded picture at row r, column c.
std::string loadedPixel(int r, int c) {
    return {static_cast<char>(picture.loadedRed[r][c]),
            static_cast<char>(picture.loadedGreen[r][c]),
            static_cast<char>(picture.loadedBlue[r][c])};
}

std::string patternPixel(int r, int c) {
    return {static_cast<char>(patternByte(r, c, 0)), static_cast<char>(patternByte(r, c, 1)),
            static_cast<char>(patternByte(r, c, 2))};
}

// Checks every plane of the current picture, loaded and transformed, against the pattern.
void expectPatternEverywhere() {
    const ColourPlane *planes[] = {&picture.loadedRed,        &picture.loadedGreen,
                                   &picture.loadedBlue,       &picture.transformedRed,
                                   &picture.transformedGreen, &picture.transformedBlue};
    int mismatches = 0;
    for (int p = 0; p < 6; ++p) {
        ASSERT_EQ(planes[p]->rows.size(), static_cast<std::size_t>(picture.height));
        for (int r = 0; r < picture.height; ++r)
            for (int c = 0; c < picture.width; ++c)
                mismatches += (*planes[p])[r][c] != patternByte(r, c, p % 3);
    }
    EXPECT_EQ(mismatches, 0);
}

// Loads a 3 by 2 picture and notes where its rows live, to show that failures leave it alone.
class FailedLoadTest : public PictureTest {
  protected:
    void SetUp() override {
        PictureTest::SetUp();
        ASSERT_EQ(loadPicture(file("before.ppm", patternFile(3, 2)).c_str()).status,
                  LoadStatus::ok);
        transformPicture();
        firstRow = picture.loadedRed[0];
        firstTransformedRow = picture.transformedBlue[0];
    }
    void expectPictureUnchanged() {
        EXPECT_EQ(picture.width, 3);
        EXPECT_EQ(picture.height, 2);
        EXPECT_EQ(picture.loadedRed[0], firstRow);
        EXPECT_EQ(picture.transformedBlue[0], firstTransformedRow);
        expectPatternEverywhere();
    }
    const unsigned char *firstRow = nullptr;
    const unsigned char *firstTransformedRow = nullptr;
};

} // namespace

TEST_F(PictureTest, RendererFileLoadsTopRowFirstAndTransformsToACopy) {
    ASSERT_EQ(loadPicture(file("testinter.ppm", patternFile(450, 450)).c_str()).status,
              LoadStatus::ok);
    EXPECT_EQ(picture.width, 450);
    EXPECT_EQ(picture.height, 450);
    EXPECT_EQ(loadedPixel(0, 0), patternPixel(0, 0));
    EXPECT_EQ(loadedPixel(0, 449), patternPixel(0, 449));
    EXPECT_EQ(loadedPixel(449, 0), patternPixel(449, 0));
    EXPECT_EQ(loadedPixel(123, 321), patternPixel(123, 321));
    ASSERT_EQ(picture.transformedRed.rows.size(), 450u); // blank until transformPicture
    EXPECT_EQ(picture.transformedRed[449][449], 0);
    transformPicture();
    expectPatternEverywhere();
}

TEST_F(PictureTest, MagicAndMaximumValueAreNotExamined) {
    const std::string path = file("odd.ppm", "XY anything\n#c\n002 001\n15\n"
                                             "\xC8\x64\x32\x01\x02\x03");
    ASSERT_EQ(loadPicture(path.c_str()).status, LoadStatus::ok);
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.height, 1);
    EXPECT_EQ(loadedPixel(0, 0), "\xC8\x64\x32");
    EXPECT_EQ(loadedPixel(0, 1), "\x01\x02\x03");
}

TEST_F(PictureTest, SizeFieldsReadAsAtoiReadsTheirThreeBytes) {
    const struct {
        const char *field;
        int width;
    } cases[] = {{"064", 64}, {" 64", 64}, {"\t 7", 7}, {"+12", 12}, {"12x", 12},
                 {"1 2", 1},  {"abc", 0},  {"+-1", 0},  {"- 5", 0},  {"999", 999}};
    for (const auto &t : cases) {
        const std::string path = file("size.ppm", std::string("P6\n#\n") + t.field + " 001\n255\n");
        ASSERT_EQ(loadPicture(path.c_str()).status, LoadStatus::ok) << t.field;
        EXPECT_EQ(picture.width, t.width) << t.field;
        EXPECT_EQ(picture.height, 1) << t.field;
    }
}

TEST_F(PictureTest, ShortRasterKeepsTheBytesThereAndZeroesTheRest) {
    // Three whole pixels and the red byte of a fourth.
    const std::string path = file("short.ppm", "P6\n#\n003 002\n255\n"
                                               "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A");
    ASSERT_EQ(loadPicture(path.c_str()).status, LoadStatus::ok);
    EXPECT_EQ(loadedPixel(0, 0), "\x01\x02\x03");
    EXPECT_EQ(loadedPixel(0, 2), "\x07\x08\x09");
    EXPECT_EQ(loadedPixel(1, 0), std::string("\x0A\0\0", 3));
    EXPECT_EQ(loadedPixel(1, 2), std::string(3, '\0'));
}

TEST_F(PictureTest, LayoutsWithoutOneCommentLineOrThreeDigitSizesAreMisread) {
    // No comment line: the size line is taken as the comment, the width is read from "255" and
    // the raster's first bytes supply the height and the maximum-value line.
    ASSERT_EQ(
        loadPicture(file("nocomment.ppm", "P6\n002 001\n255\n002x\n\x11\x22\x33").c_str()).status,
        LoadStatus::ok);
    EXPECT_EQ(picture.width, 255);
    EXPECT_EQ(picture.height, 2);
    EXPECT_EQ(loadedPixel(0, 0), "\x11\x22\x33");

    // "64 64": the height field is "4", line feed, "2", so only the top four rows are read.
    ASSERT_EQ(
        loadPicture(file("two.ppm", "P6\n#\n64 64\n255\n" + patternRaster(64, 64)).c_str()).status,
        LoadStatus::ok);
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(picture.height, 4);
    EXPECT_EQ(loadedPixel(3, 63), patternPixel(3, 63));

    // "1024 768": 102 by 76, and the maximum-value line is taken as pixel data.
    ASSERT_EQ(loadPicture(file("four.ppm", "P6\n#\n1024 768\n255\n\x11\x22").c_str()).status,
              LoadStatus::ok);
    EXPECT_EQ(picture.width, 102);
    EXPECT_EQ(picture.height, 76);
    EXPECT_EQ(loadedPixel(0, 0), "255");
    EXPECT_EQ(loadedPixel(0, 1), "\n\x11\x22");
}

TEST_F(PictureTest, SecondLoadOfAnotherSizeReplacesEverything) {
    ASSERT_EQ(loadPicture(file("a.ppm", patternFile(5, 7)).c_str()).status, LoadStatus::ok);
    transformPicture();
    ASSERT_EQ(loadPicture(file("b.ppm", patternFile(9, 4)).c_str()).status, LoadStatus::ok);
    EXPECT_EQ(picture.width, 9);
    EXPECT_EQ(picture.height, 4);
    ASSERT_EQ(picture.transformedGreen.rows.size(), 4u);
    EXPECT_EQ(picture.transformedGreen[3][8], 0);
    transformPicture();
    expectPatternEverywhere();
}

TEST_F(FailedLoadTest, FileThatCannotBeReadLeavesThePicture) {
    const LoadResult absent = loadPicture((dir / "absent.ppm").string().c_str());
    EXPECT_EQ(absent.status, LoadStatus::cannotOpen);
    EXPECT_EQ(absent.error, ENOENT);
    expectPictureUnchanged();

    // Some systems open a directory for reading and fail only at the first read.
    const LoadResult folder = loadPicture(dir.string().c_str());
    EXPECT_EQ(folder.status, LoadStatus::cannotOpen);
    EXPECT_NE(folder.error, 0);
    expectPictureUnchanged();
}

TEST_F(FailedLoadTest, OnlyRegularFilesAreReadAndNothingWaits) {
    const std::string fifo = (dir / "fifo.ppm").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        LoadStatus status;
        int error;
    } cases[] = {{"/dev/zero", LoadStatus::notRegularFile, 0},
                 {fifo, LoadStatus::notRegularFile, 0},
                 {dir.string(), LoadStatus::cannotOpen, EISDIR}};
    for (const auto &t : cases) {
        alarm(10); // a load that waits for ever ends the test program here
        const LoadResult result = loadPicture(t.path.c_str());
        alarm(0);
        EXPECT_EQ(result.status, t.status) << t.path;
        EXPECT_EQ(result.error, t.error) << t.path;
        expectPictureUnchanged();
    }
}

TEST_F(FailedLoadTest, HeaderCutAnywhereLeavesThePicture) {
    const std::string header = "P6\n#Kelvo\n450 450\n255\n";
    for (std::size_t length = 0; length < header.size(); ++length) {
        const std::string path = file("cut.ppm", header.substr(0, length));
        EXPECT_EQ(loadPicture(path.c_str()).status, LoadStatus::truncatedHeader)
            << length << " bytes";
    }
    expectPictureUnchanged();

    // The whole header without a raster is a black picture.
    ASSERT_EQ(loadPicture(file("cut.ppm", header).c_str()).status, LoadStatus::ok);
    EXPECT_EQ(picture.width, 450);
    EXPECT_EQ(loadedPixel(449, 449), std::string(3, '\0'));
}

TEST_F(FailedLoadTest, NegativeSizeLeavesThePicture) {
    for (const char *sizes : {"-12 034", "034 -12", " -1  -1", "-99 000"}) {
        const std::string path = file("negative.ppm", std::string("P6\n#\n") + sizes + "\n255\n");
        EXPECT_EQ(loadPicture(path.c_str()).status, LoadStatus::negativeSize) << sizes;
    }
    expectPictureUnchanged();
}
