// The whole kelvotrace program, run as a user runs it: exit status, standard error, the files it
// leaves, and the pause at the end.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/read_file.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> pictures = {"testinter.ppm", "testMulti.ppm",
                                           "testLamp.ppm",  "testnormale.ppm",
                                           "testobj.ppm",   "testZbuf_Phong.ppm"};

struct ProgramRun {
    int status = -1; // exit status, or -1 when it did not exit by itself in time
    std::string out;
    std::string err;
};

// Starts kelvotrace in the current directory with the given standard input, PATH prefix and
// environment, and returns its pid; its output goes to files of the scratch directory.
pid_t start(int stdinFd, const std::string &pathPrefix = "") {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(stdinFd, STDIN_FILENO);
        const int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (!pathPrefix.empty()) {
            const std::string path = pathPrefix + ":" + getenv("PATH");
            setenv("PATH", path.c_str(), 1);
        }
        execl(KELVOTRACE_PATH, "kelvotrace", static_cast<char *>(nullptr));
        _exit(127);
    }
    return pid;
}

// Waits up to `seconds` for the program to end by itself; kills it if it does not.
ProgramRun finish(pid_t pid, double seconds = 20.0) {
    ProgramRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int raw = 0;
    while (waitpid(pid, &raw, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &raw, 0);
            run.status = -1;
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile("stdout.txt");
    run.err = readFile("stderr.txt");
    return run;
}

ProgramRun runWithNullInput(const std::string &pathPrefix = "") {
    const int devNull = open("/dev/null", O_RDONLY);
    const pid_t pid = start(devNull, pathPrefix);
    close(devNull);
    return finish(pid);
}

long long modifiedNs(const std::string &file) {
    struct stat st {};
    stat(file.c_str(), &st);
    return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

} // namespace

TEST(Program, WritesSixPicturesSilentlyAndExitsZero) {
    ScratchDir dir;
    const ProgramRun run = runWithNullInput();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
    for (const std::string &picture : pictures) {
        ASSERT_TRUE(fs::exists(picture)) << picture;
        EXPECT_EQ(fs::file_size(picture), picture == "testZbuf_Phong.ppm" ? 750022u : 607522u)
            << picture;
    }
    // Written in the order of the renders.
    const char *order[] = {"testinter.ppm", "testobj.ppm",  "testnormale.ppm",
                           "testMulti.ppm", "testLamp.ppm", "testZbuf_Phong.ppm"};
    for (int k = 1; k < 6; ++k) {
        EXPECT_LE(modifiedNs(order[k - 1]), modifiedNs(order[k])) << order[k];
    }
}

TEST(Program, ReportsEveryPictureItCannotWriteAndExitsOne) {
    ScratchDir dir;
    // A directory standing under each file name defeats root as well.
    for (const std::string &picture : pictures) {
        fs::create_directory(picture);
    }
    const ProgramRun run = runWithNullInput();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvotrace: cannot write testinter.ppm: Is a directory\n"
                       "kelvotrace: cannot write testobj.ppm: Is a directory\n"
                       "kelvotrace: cannot write testnormale.ppm: Is a directory\n"
                       "kelvotrace: cannot write testMulti.ppm: Is a directory\n"
                       "kelvotrace: cannot write testLamp.ppm: Is a directory\n"
                       "kelvotrace: cannot write testZbuf_Phong.ppm: Is a directory\n");
}

TEST(Program, OneFailureDoesNotStopTheOtherRenders) {
    ScratchDir dir;
    fs::create_directory("testLamp.ppm");
    fs::create_symlink("/dev/full", "testobj.ppm");
    ASSERT_EQ(mkfifo("testMulti.ppm", 0644), 0); // nobody reads it: must not block
    const ProgramRun run = runWithNullInput();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvotrace: cannot write testobj.ppm: No space left on device\n"
                       "kelvotrace: cannot write testMulti.ppm: No such device or address\n"
                       "kelvotrace: cannot write testLamp.ppm: Is a directory\n");
    for (const char *written : {"testinter.ppm", "testnormale.ppm", "testZbuf_Phong.ppm"}) {
        EXPECT_TRUE(fs::is_regular_file(written)) << written;
    }
}

TEST(Program, NeverWaitsWhenInputIsNotATerminal) {
    ScratchDir dir;
    // A pipe that stays open: a program that read from it would block until killed.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t pid = start(pipeFds[0]);
    const ProgramRun run = finish(pid);
    close(pipeFds[0]);
    close(pipeFds[1]);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

TEST(Program, RunsAPauseCommandFoundOnThePath) {
    ScratchDir dir;
    fs::create_directory("bin");
    {
        std::ofstream script("bin/PAUSE");
        script << "#!/bin/sh\necho paused > pause-ran.txt\n";
    }
    fs::permissions("bin/PAUSE", fs::perms::owner_all);
    const ProgramRun run = runWithNullInput((dir.path() / "bin").string());
    EXPECT_EQ(run.status, 0);
    ASSERT_TRUE(fs::exists("pause-ran.txt"));
    EXPECT_LE(modifiedNs("testZbuf_Phong.ppm"), modifiedNs("pause-ran.txt")); // after the renders
}

TEST(Program, WaitsForAKeyAtATerminal) {
    ScratchDir dir;
    int controller = -1, terminal = -1;
    ASSERT_EQ(openpty(&controller, &terminal, nullptr, nullptr, nullptr), 0);
    const pid_t pid = start(terminal);
    close(terminal);

    // The prompt appears once the pictures are written, and the program then waits.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (readFile("stdout.txt").find("Press any key to continue . . .") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(readFile("stdout.txt"), "Press any key to continue . . . ");
    int raw = 0;
    EXPECT_EQ(waitpid(pid, &raw, WNOHANG), 0) << "exited without waiting for a key";
    EXPECT_TRUE(fs::exists("testZbuf_Phong.ppm"));

    ASSERT_EQ(write(controller, "x", 1), 1);
    const ProgramRun run = finish(pid);
    close(controller);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Press any key to continue . . . \n");
}
