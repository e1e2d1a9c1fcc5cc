#include "image/ppm.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <utility>

#include <fcntl.h>
#include <sys/resource.h>
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

// The name ends as emptying it at the open would leave it: the new bytes (after a failed write,
// those written) alone in the same inode, its other names, mode and links kept; or in the pipe.
TEST(EcrirePPM, WritesOverTheOldFileInPlace) {
    Image image(2, 1);
    image.pixels[1] = {7, 8, 9};
    const std::string nouveau("P6\n#Kelvo\n2 1\n255\n\0\0\0\7\10\11", 24);
    enum Genre { FICHIER, LIEN, TUBE };
    const struct {
        const char *cas;
        Genre genre;
        std::string ancien;
        rlim_t limite; // of the file size, 0 for none
        int erreur;
        std::string attendu;
    } table[] = {
        {"shorter", FICHIER, "P6\n", 0, 0, nouveau},
        {"longer", FICHIER, nouveau + std::string(100, 'x'), 0, 0, nouveau},
        {"same size", FICHIER, std::string(nouveau.size(), 'y'), 0, 0, nouveau},
        {"hard link", LIEN, std::string(50, 'z'), 0, 0, nouveau},
        {"write cut short", FICHIER, std::string(100, 'x'), 20, EFBIG, nouveau.substr(0, 20)},
        {"named pipe with a reader", TUBE, "", 0, 0, nouveau},
    };
    for (const auto &c : table) {
        SCOPED_TRACE(c.cas);
        ScratchDir dir;
        if (c.genre == TUBE) {
            ASSERT_EQ(mkfifo("vieux.ppm", 0600), 0);
        } else {
            std::ofstream("vieux.ppm", std::ios::binary) << c.ancien;
        }
        const int lecteur = open("vieux.ppm", O_RDONLY | O_NONBLOCK); // what the name then holds
        ASSERT_EQ(chmod("vieux.ppm", 0600), 0);
        ASSERT_TRUE(c.genre != LIEN || link("vieux.ppm", "autre.ppm") == 0);
        struct stat avant = {}, apres = {};
        ASSERT_EQ(stat("vieux.ppm", &avant), 0);
        rlimit sansLimite = {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &sansLimite), 0);
        const rlimit limite = {c.limite != 0 ? c.limite : sansLimite.rlim_cur, sansLimite.rlim_max};
        const auto signal = std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limite), 0);
        const int erreur = ecrirePPM(image, "vieux") ? 0 : errno;
        setrlimit(RLIMIT_FSIZE, &sansLimite);
        std::signal(SIGXFSZ, signal);
        EXPECT_EQ(erreur, c.erreur);
        ASSERT_EQ(stat("vieux.ppm", &apres), 0);
        EXPECT_EQ(apres.st_ino, avant.st_ino);
        EXPECT_EQ(apres.st_nlink, avant.st_nlink);
        EXPECT_EQ(apres.st_mode, avant.st_mode);
        char octets[256];
        const ssize_t lus = read(lecteur, octets, sizeof octets);
        close(lecteur);
        EXPECT_EQ(std::string(octets, static_cast<std::size_t>(lus)), c.attendu);
        EXPECT_EQ(c.genre == LIEN ? readFile("autre.ppm") : c.attendu, c.attendu);
    }
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
