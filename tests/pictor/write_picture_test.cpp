#include "picture_files.h"
#include "picture_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

const std::string transformedSuffix = " image transform\xE9"
                                      "e\n";

// Makes the transformed planes a width by height picture: red on blue, with a red block in the
// top-left corner and a red column and row of their own, so that flips and swaps show.
void paintRedOnBlue(int width, int height) {
    picture.width = width;
    picture.height = height;
    picture.transformedRed = blankPlane(width, height);
    picture.transformedGreen = blankPlane(width, height);
    picture.transformedBlue = blankPlane(width, height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            const bool red = (r < 10 && c < 20) || c == 57 || r == 150;
            picture.transformedRed[r][c] = red ? 255 : 0;
            picture.transformedGreen[r][c] = static_cast<unsigned char>(c % 3);
            picture.transformedBlue[r][c] = red ? 0 : 255;
        }
}

} // namespace

TEST_F(PictureTest, WritesTheHeaderLinesThenTheRaster) {
    ASSERT_EQ(
        loadPicture(file("in.ppm", "P6\n#\n002 001\n255\n\x01\x02\x03\x04\x05\x06").c_str()).status,
        LoadStatus::ok);
    transformPicture();
    const std::string path = (dir / "out.ppm").string();
    ASSERT_TRUE(writePicture(path.c_str()).written);
    EXPECT_EQ(readFile(path),
              "P6\n# " + path + transformedSuffix + "2 1\n255\n\x01\x02\x03\x04\x05\x06");
}

TEST_F(PictureTest, PictureNeverTransformedSavesBlack) {
    ASSERT_EQ(loadPicture(file("in.ppm", patternFile(3, 2)).c_str()).status, LoadStatus::ok);
    const std::string path = (dir / "out.ppm").string();
    ASSERT_TRUE(writePicture(path.c_str()).written);
    EXPECT_EQ(readFile(path),
              "P6\n# " + path + transformedSuffix + "3 2\n255\n" + std::string(3 * 2 * 3, '\0'));
}

TEST_F(PictureTest, ZeroSizedPictureSavesTheHeaderAlone) {
    // Rows without columns too: no raster byte is read or written.
    const struct {
        const char *field, *written;
    } cases[] = {{"000 000", "0 0"}, {"000 005", "0 5"}};
    for (const auto &t : cases) {
        const std::string in = std::string("P6\n#\n") + t.field + "\n255\nraster";
        ASSERT_EQ(loadPicture(file("in.ppm", in).c_str()).status, LoadStatus::ok);
        transformPicture();
        EXPECT_EQ(picture.width, 0);
        EXPECT_EQ(picture.transformedBlue.rows.size(), static_cast<std::size_t>(picture.height));
        const std::string path = (dir / "empty").string(); // used as given: no extension added
        ASSERT_TRUE(writePicture(path.c_str()).written);
        EXPECT_EQ(readFile(path), "P6\n# " + path + transformedSuffix + t.written + "\n255\n");
    }
}

TEST_F(PictureTest, OddSizedPictureSurvivesARoundTrip) {
    paintRedOnBlue(101, 203);
    const std::string path = (dir / "round.ppm").string();
    ASSERT_TRUE(writePicture(path.c_str()).written);
    EXPECT_EQ(std::filesystem::file_size(path),
              ("P6\n# " + path + transformedSuffix + "101 203\n255\n").size() + 101 * 203 * 3);

    ASSERT_EQ(loadPicture(path.c_str()).status, LoadStatus::ok);
    ASSERT_EQ(picture.width, 101);
    ASSERT_EQ(picture.height, 203);
    EXPECT_EQ(picture.loadedRed[0][19], 255);
    EXPECT_EQ(picture.loadedBlue[0][20], 255);
    EXPECT_EQ(picture.loadedRed[150][100], 255);
    EXPECT_EQ(picture.loadedRed[202][57], 255);
    EXPECT_EQ(picture.loadedBlue[202][56], 255);
    EXPECT_EQ(picture.loadedGreen[7][101 - 1], 100 % 3);

    // Writing what was read back gives the same file.
    const std::string first = readFile(path);
    transformPicture();
    ASSERT_TRUE(writePicture(path.c_str()).written);
    EXPECT_EQ(readFile(path), first);
}

TEST_F(PictureTest, RendererFileSavedAgainDiffersOnlyInItsCommentLine) {
    const std::string original = patternFile(450, 450);
    ASSERT_EQ(loadPicture(file("testinter.ppm", original).c_str()).status, LoadStatus::ok);
    transformPicture();
    const std::string path = (dir / "saved.ppm").string();
    ASSERT_TRUE(writePicture(path.c_str()).written);

    std::string expected = original;
    expected.replace(3, 7, "# " + path + transformedSuffix);
    EXPECT_TRUE(readFile(path) == expected);
}

TEST_F(PictureTest, LineBreaksInThePathAreWrittenAsSpaces) {
    paintRedOnBlue(101, 203); // three-digit sizes, so that the file reads back
    // A backslash is a letter of the name here, not a separator.
    const std::string path = (dir / "a\nb\rc\t\\\xE9.ppm").string();
    ASSERT_TRUE(writePicture(path.c_str()).written);
    const std::string comment = "# " + (dir / "a b c\t\\\xE9.ppm").string() + transformedSuffix;
    EXPECT_EQ(readFile(path).substr(3, comment.size()), comment);

    ASSERT_EQ(loadPicture(path.c_str()).status, LoadStatus::ok);
    EXPECT_EQ(picture.width, 101);
    EXPECT_EQ(picture.height, 203);
    EXPECT_EQ(picture.loadedRed[150][0], 255);
}

TEST_F(PictureTest, FailedWritesAreReported) {
    paintRedOnBlue(101, 203);
    const std::filesystem::path missing = dir / "no such directory" / "out.ppm";
    const WriteResult missingFolder = writePicture(missing.string().c_str());
    EXPECT_FALSE(missingFolder.written);
    EXPECT_EQ(missingFolder.error, ENOENT);
    EXPECT_FALSE(std::filesystem::exists(missing));

    // A named pipe nobody reads: refused at once rather than waited on.
    const std::string fifo = (dir / "fifo.ppm").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    alarm(10); // a save that waits for ever ends the test program here
    const WriteResult pipe = writePicture(fifo.c_str());
    alarm(0);
    EXPECT_FALSE(pipe.written);
    EXPECT_EQ(pipe.error, ENXIO);

    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const WriteResult full = writePicture("/dev/full");
    EXPECT_FALSE(full.written);
    EXPECT_EQ(full.error, ENOSPC);
    picture = PictureState{}; // even a header alone must be found unwritten
    EXPECT_FALSE(writePicture("/dev/full").written);
}

TEST_F(PictureTest, FailedSaveLeavesTheOldFileWholeAndNoOtherFile) {
    paintRedOnBlue(450, 450);
    const std::string old = file("old.ppm", patternFile(100, 166)); // 49,822 bytes
    const std::string before = readFile(old);

    // Past the limit a write fails with EFBIG once SIGXFSZ is ignored, as both programs do.
    const auto previousAction = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{100 * 1024, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const WriteResult result = writePicture(old.c_str());
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousAction);

    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.error, EFBIG);
    EXPECT_TRUE(readFile(old) == before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1); // the new file is gone
}

TEST_F(PictureTest, SaveReplacesTheFileALinkPointsToAndKeepsItsPermissions) {
    paintRedOnBlue(101, 203);
    const std::filesystem::path target = file("target.ppm", "old bytes");
    chmod(target.c_str(), 0640);
    const std::filesystem::path link = dir / "link.ppm";
    std::filesystem::create_symlink(target, link);

    ASSERT_TRUE(writePicture(link.c_str()).written);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), target);
    EXPECT_EQ(readFile(target).substr(0, 3), "P6\n");
    struct stat status {};
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

namespace {

// Saves path in a process of its own, as user when the test runs as root, with cache as the
// user's cache folder: 0, or why not.
int saveAs(uid_t user, const std::string &path, const std::string &cache) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(setenv("XDG_CACHE_HOME", cache.c_str(), 1) != 0 ||
                      (getuid() == 0 && user != 0 && (setgid(user) != 0 || setuid(user) != 0))
                  ? 255
                  : writePicture(path.c_str()).error);
    int raw = 0;
    waitpid(pid, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 253;
}

// What a save must keep: the name's kind, the file's kind, owner, group, mode and links, its
// extended attributes (the ACL among them).
std::string metadata(const std::string &path) {
    struct stat name {
    }, file{};
    lstat(path.c_str(), &name);
    stat(path.c_str(), &file);
    std::ostringstream text;
    text << name.st_mode << " " << file.st_mode << " " << file.st_uid << ":" << file.st_gid << " "
         << file.st_nlink;
    char names[1024] = {}, value[1024] = {};
    const ssize_t size = listxattr(path.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1)
        text << " " << names + at << "="
             << std::string(value,
                            std::max<ssize_t>(getxattr(path.c_str(), names + at, value, 1024), 0));
    return text.str();
}

} // namespace

TEST_F(PictureTest, SaveKeepsContentAndMetadataOfEveryKindOfTarget) {
    paintRedOnBlue(101, 203);
    const bool root = getuid() == 0;
    std::filesystem::permissions(dir, std::filesystem::perms::all); // others may come in
    // Written in place, a file's old bytes are first copied beside it or into the cache folder.
    const std::string cache = (dir / "cache").string(), noCache = "/proc/no-cache";
    std::filesystem::create_directories(cache + "/pictor");
    std::filesystem::permissions(cache + "/pictor", std::filesystem::perms::all);
    const struct {
        const char *setUp, *target;
        uid_t saver;   // as root; otherwise the test's own user saves
        bool rootOnly; // needs a file of another user
        int error;     // refused when no copy of the old bytes can be kept
    } cases[] = {
        {"mkdir ro && echo old > ro/p && chmod 666 ro/p && (chown nobody ro/p; chmod 555 ro)",
         "ro/p", 65534, false, 0},
        {"mkdir r2 && echo old > r2/p && chmod 666 r2/p && (chown nobody r2/p; chmod 555 r2)",
         "r2/p", 65534, false, EACCES},
        {"mkdir st && chmod 1777 st && echo old > st/p && chmod 666 st/p && chown nobody st/p",
         "st/p", 65533, true, 0},
        {"echo old > linked && ln linked other", "linked", 0, false, 0},
        {"echo old > n && chmod 664 n && chown nobody:nogroup n", "n", 0, true, 0},
        {"echo old > a && setfattr -n user.origin -v kelvo a && setfacl -m u:nobody:rw a", "a", 0,
         false, 0},
        {"echo old > t && ln -s t symbolic", "symbolic", 0, false, 0},
        {"", "/dev/null", 0, false, 0},
    };
    for (const auto &t : cases) {
        SCOPED_TRACE(t.setUp);
        if (t.rootOnly && !root)
            continue;
        ASSERT_EQ(std::system(t.setUp), 0);
        const std::string path = (dir / t.target).string(), before = metadata(path);
        const auto count = [&] {
            return std::distance(std::filesystem::recursive_directory_iterator(dir), {});
        };
        const auto files = count();
        EXPECT_EQ(saveAs(t.saver, path, t.error != 0 ? noCache : cache), t.error);
        EXPECT_EQ(metadata(path), before);
        EXPECT_EQ(count(), files); // no temporary, no copy left
        const std::string header = "P6\n# " + path + transformedSuffix + "101 203\n255\n";
        const std::string saved = readFile(path);
        EXPECT_TRUE(path == "/dev/null" || (t.error != 0 && saved == "old\n") ||
                    (saved.substr(0, header.size()) == header &&
                     saved.size() == header.size() + 101 * 203 * 3));
    }
    EXPECT_TRUE(readFile(dir / "other") == readFile(dir / "linked"));
}
