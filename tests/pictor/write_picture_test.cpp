#include "picture_files.h"
#include "picture_state.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <iterator>
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
    const std::string path = (dir / "a\nb\rc\t\xE9.ppm").string();
    ASSERT_TRUE(writePicture(path.c_str()).written);
    const std::string comment = "# " + (dir / "a b c\t\xE9.ppm").string() + transformedSuffix;
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

// Saves path in a process of its own, as user when the test runs as root (else as itself):
// 0 when saved, else the error number.
int saveAs(uid_t user, const std::string &path) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (getuid() == 0 && user != 0 && (setgid(user) != 0 || setuid(user) != 0))
            _exit(255);
        const WriteResult result = writePicture(path.c_str());
        _exit(result.written ? 0 : result.error != 0 ? result.error : 254);
    }
    int raw = 0;
    waitpid(pid, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 253;
}

// What a save must keep of a file: kind, owner, group, mode, links, extended attributes (the
// ACL among them) and, through a link, the link itself.
std::string metadata(const std::string &path) {
    struct stat link {}, file {};
    lstat(path.c_str(), &link);
    stat(path.c_str(), &file);
    std::string text = std::to_string(link.st_mode) + " " + std::to_string(file.st_mode) + " " +
                       std::to_string(file.st_uid) + ":" + std::to_string(file.st_gid) + " " +
                       std::to_string(file.st_nlink);
    char names[1024] = {}, value[1024] = {};
    const ssize_t size = listxattr(path.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        const ssize_t length = getxattr(path.c_str(), names + at, value, sizeof value);
        text += std::string(" ") + (names + at) + "=" + std::string(value, length > 0 ? length : 0);
    }
    return text;
}

} // namespace

TEST_F(PictureTest, SaveKeepsWhatTheUserCaresAboutOfEveryKindOfTarget) {
    paintRedOnBlue(101, 203);
    const bool root = getuid() == 0;
    const uid_t nobody = 65534, someone = 65533;
    std::filesystem::permissions(dir, std::filesystem::perms::all); // others may come in
    const auto make = [&](const std::string &name, uid_t owner, mode_t mode) {
        const std::string path = file(name, "old picture");
        EXPECT_EQ(chown(path.c_str(), owner, owner) == 0 || !root, true);
        chmod(path.c_str(), mode);
        return path;
    };
    const struct {
        const char *name;
        bool needsRoot;
        uid_t saver; // as root; otherwise the test's own user
        std::function<std::string()> target;
    } cases[] = {
        {"read-only folder", false, nobody,
         [&] {
             std::filesystem::create_directory(dir / "ro");
             const std::string path = make("ro/picture.ppm", nobody, 0666);
             chmod((dir / "ro").c_str(), 0555);
             return path;
         }},
        {"sticky folder, another's file", true, someone,
         [&] {
             std::filesystem::create_directory(dir / "sticky");
             chmod((dir / "sticky").c_str(), 01777);
             return make("sticky/picture.ppm", nobody, 0666);
         }},
        {"second hard link", false, 0,
         [&] {
             const std::string path = make("linked.ppm", getuid(), 0640);
             std::filesystem::create_hard_link(path, dir / "other name.ppm");
             return path;
         }},
        {"another owner", true, 0, [&] { return make("nobody.ppm", nobody, 0664); }},
        {"ACL and extended attribute", false, 0,
         [&] {
             const std::string path = make("acl.ppm", getuid(), 0640);
             EXPECT_EQ(setxattr(path.c_str(), "user.origin", "kelvo", 5, 0), 0);
             EXPECT_EQ(std::system(("setfacl -m u:nobody:rw " + path).c_str()), 0);
             return path;
         }},
        {"symbolic link", false, 0,
         [&] {
             std::filesystem::create_symlink(make("target.ppm", getuid(), 0600), dir / "link");
             return (dir / "link").string();
         }},
        {"device", false, 0, [] { return std::string("/dev/null"); }},
    };
    for (const auto &t : cases) {
        SCOPED_TRACE(t.name);
        if (t.needsRoot && !root)
            continue;
        const std::string path = t.target();
        const std::string before = metadata(path);
        const auto listing = [&] {
            return std::distance(std::filesystem::recursive_directory_iterator(dir),
                                 std::filesystem::recursive_directory_iterator());
        };
        const auto files = listing();
        EXPECT_EQ(saveAs(root ? t.saver : 0, path), 0);
        EXPECT_EQ(metadata(path), before);
        EXPECT_EQ(listing(), files);
        const std::string header = "P6\n# " + path + transformedSuffix + "101 203\n255\n";
        if (path != "/dev/null") {
            const std::string saved = readFile(path);
            EXPECT_EQ(saved.substr(0, header.size()), header);
            EXPECT_EQ(saved.size(), header.size() + 101 * 203 * 3);
        }
    }
    EXPECT_TRUE(readFile(dir / "other name.ppm") == readFile(dir / "linked.ppm"));
}
