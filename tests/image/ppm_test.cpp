#include "image/ppm.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/read_file.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

TEST(EcrirePPM, OneRedPixel) {
    ScratchDir dir;
    Image image(1, 1);
    image.pixels[0] = {255, 0, 0};
    ASSERT_TRUE(ecrirePPM(image, "un"));
    EXPECT_EQ(readFile("un.ppm"), std::string("P6\n#Kelvo\n1 1\n255\n\xff\x00\x00", 21));
}

TEST(EcrirePPM, FirstPixelIsTheLeftOfTheTopRow) {
    ScratchDir dir;
    Image image(2, 1);
    image.pixels[0] = {1, 2, 3};
    image.pixels[1] = {4, 5, 6};
    ASSERT_TRUE(ecrirePPM(image, "deux"));
    EXPECT_EQ(readFile("deux.ppm"), std::string("P6\n#Kelvo\n2 1\n255\n\1\2\3\4\5\6"));
}

TEST(EcrirePPM, RowsFollowEachOtherFromTheTop) {
    ScratchDir dir;
    Image image(1, 2);
    image.pixels[0] = {9, 8, 7};
    image.pixels[1] = {6, 5, 4};
    ASSERT_TRUE(ecrirePPM(image, "colonne"));
    EXPECT_EQ(readFile("colonne.ppm"), std::string("P6\n#Kelvo\n1 2\n255\n\11\10\7\6\5\4"));
}

TEST(EcrirePPM, EmptyPictureIsTheHeaderAlone) {
    ScratchDir dir;
    ASSERT_TRUE(ecrirePPM(Image(0, 0), "vide"));
    EXPECT_EQ(readFile("vide.ppm"), "P6\n#Kelvo\n0 0\n255\n");
}

TEST(EcrirePPM, FullSizeFileAndUnfilledRasterIsBlack) {
    ScratchDir dir;
    ASSERT_TRUE(ecrirePPM(Image(450, 450), "grand"));
    const std::string bytes = readFile("grand.ppm");
    ASSERT_EQ(bytes.size(), 607522u);
    EXPECT_EQ(bytes.substr(0, 22), "P6\n#Kelvo\n450 450\n255\n");
    EXPECT_EQ(bytes.find_first_not_of('\0', 22), std::string::npos);
}

TEST(EcrirePPM, SecondWriteReplacesTheFirst) {
    ScratchDir dir;
    ASSERT_TRUE(ecrirePPM(Image(3, 3), "deuxfois"));
    ASSERT_TRUE(ecrirePPM(Image(1, 1), "deuxfois"));
    EXPECT_EQ(readFile("deuxfois.ppm").size(), 21u);
}

TEST(EcrirePPM, MissingDirectoryFailsAndCreatesNothing) {
    ScratchDir dir;
    errno = 0;
    EXPECT_FALSE(ecrirePPM(Image(1, 1), "absent/image"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(fs::exists("absent"));
}

TEST(EcrirePPM, DirectoryInTheWayFailsEvenForRoot) {
    ScratchDir dir;
    fs::create_directory("pris.ppm");
    errno = 0;
    EXPECT_FALSE(ecrirePPM(Image(1, 1), "pris"));
    EXPECT_EQ(errno, EISDIR);
}

TEST(EcrirePPM, FullDiskIsAFailureNotASuccess) {
    ScratchDir dir;
    fs::create_symlink("/dev/full", "plein.ppm");
    errno = 0;
    EXPECT_FALSE(ecrirePPM(Image(1, 1), "plein"));
    EXPECT_EQ(errno, ENOSPC);
    // Large enough that stdio must write before the close.
    errno = 0;
    EXPECT_FALSE(ecrirePPM(Image(450, 450), "plein"));
    EXPECT_EQ(errno, ENOSPC);
}

TEST(EcrirePPM, NamedPipeWithoutReaderFailsAtOnce) {
    ScratchDir dir;
    ASSERT_EQ(mkfifo("tube.ppm", 0644), 0);
    auto ecriture = std::async(std::launch::async, [] {
        errno = 0;
        const bool ecrit = ecrirePPM(Image(1, 1), "tube");
        return std::pair{ecrit, errno};
    });
    if (ecriture.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // A reader releases the blocked writer, so that the test ends.
        const int lecteur = open("tube.ppm", O_RDONLY | O_NONBLOCK);
        ecriture.wait();
        close(lecteur);
        FAIL() << "blocked on a named pipe that nobody reads";
    }
    const auto [ecrit, erreur] = ecriture.get();
    EXPECT_FALSE(ecrit);
    EXPECT_EQ(erreur, ENXIO);
}
