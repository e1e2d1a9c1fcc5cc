// The whole kelvotrace program, run as a user runs it: exit status, standard error, the files it
// leaves, and the pause at the end.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
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

// How the program is started beyond its standard input.
struct Setting {
    std::string pathPrefix;               // a folder put before the PATH
    rlim_t fileSizeLimit = RLIM_INFINITY; // ulimit -f, in bytes
    bool ownTerminal = false; // standard input becomes its controlling terminal, in the foreground
    bool background = false;  // a process group of its own, not the terminal's foreground
    bool job = false; // with ownTerminal: a job in the foreground of a shell-like session leader
};

// Starts kelvotrace in the current directory with the given standard input and setting, and
// returns its pid; its output goes to files of the scratch directory.
pid_t start(int stdinFd, const Setting &setting = {}) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (setting.ownTerminal) {
            setsid();
            ioctl(stdinFd, TIOCSCTTY, 0);
        }
        if (setting.job && fork() != 0) { // the leader waits, as a shell does, and tells
            int raw = 0;
            wait(&raw);
            _exit(WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw));
        }
        if (setting.job) { // a process group of its own, given the terminal
            setpgid(0, 0);
            signal(SIGTTOU, SIG_IGN);
            tcsetpgrp(stdinFd, getpgrp());
            signal(SIGTTOU, SIG_DFL);
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
        }
        if (setting.background) {
            setpgid(0, 0);
        }
        const rlimit limit{setting.fileSizeLimit, setting.fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        dup2(stdinFd, STDIN_FILENO);
        const int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (!setting.pathPrefix.empty()) {
            const std::string path = setting.pathPrefix + ":" + getenv("PATH");
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

ProgramRun runWithNullInput(const Setting &setting = {}) {
    const int devNull = open("/dev/null", O_RDONLY);
    const pid_t pid = start(devNull, setting);
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
    const ProgramRun run = runWithNullInput({(dir.path() / "bin").string()});
    EXPECT_EQ(run.status, 0);
    ASSERT_TRUE(fs::exists("pause-ran.txt"));
    EXPECT_LE(modifiedNs("testZbuf_Phong.ppm"), modifiedNs("pause-ran.txt")); // after the renders
}

TEST(Program, AFileSizeLimitIsReportedAndTheOtherRendersStillRun) {
    ScratchDir dir;
    // 1,000 bytes: room for the messages in stderr.txt, none for a picture.
    ProgramRun run = runWithNullInput({"", 1000});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvotrace: cannot write testinter.ppm: File too large\n"
                       "kelvotrace: cannot write testobj.ppm: File too large\n"
                       "kelvotrace: cannot write testnormale.ppm: File too large\n"
                       "kelvotrace: cannot write testMulti.ppm: File too large\n"
                       "kelvotrace: cannot write testLamp.ppm: File too large\n"
                       "kelvotrace: cannot write testZbuf_Phong.ppm: File too large\n");

    // The 450 by 450 pictures fit under 700,000 bytes, the 500 by 500 one does not.
    run = runWithNullInput({"", 700000});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kelvotrace: cannot write testZbuf_Phong.ppm: File too large\n");
    for (const std::string &picture : pictures) {
        if (picture != "testZbuf_Phong.ppm") {
            EXPECT_EQ(fs::file_size(picture), 607522u) << picture;
        }
    }
}

// kelvotrace at a pseudo-terminal of its own, in the foreground, once it shows the prompt and
// has turned the terminal's echo and line editing off.
struct AtThePause {
    int controller = -1, terminal = -1;
    pid_t pid = -1;

    explicit AtThePause(bool job = false, bool nonBlocking = false) {
        openpty(&controller, &terminal, nullptr, nullptr, nullptr);
        if (nonBlocking) {
            fcntl(terminal, F_SETFL, fcntl(terminal, F_GETFL) | O_NONBLOCK);
        }
        pid = start(terminal, {"", RLIM_INFINITY, true, false, job});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while ((readFile("stdout.txt").empty() || lineEditing()) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~AtThePause() {
        close(controller);
        close(terminal);
    }
    bool lineEditing() const {
        termios settings{};
        tcgetattr(terminal, &settings);
        return (settings.c_lflag & (ICANON | ECHO)) == (ICANON | ECHO);
    }
    void type(const std::string &keys) const {
        EXPECT_EQ(write(controller, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // What the next program would read: the line left on the terminal once this one is gone.
    std::string leftOver() const {
        type("\n");
        pollfd ready{terminal, POLLIN, 0};
        char bytes[64] = {};
        return poll(&ready, 1, 5000) == 1 ? std::string(bytes, read(terminal, bytes, sizeof bytes))
                                          : "(nothing)";
    }
};

TEST(Program, WaitsForOneKeyAtATerminalAndConsumesItWhole) {
    ScratchDir dir;
    for (const std::string key : {"x", "\x1B[A", "\xC3\xA9", "\x1B[15~"}) {
        const AtThePause pause;
        EXPECT_EQ(readFile("stdout.txt"), "Press any key to continue . . . ");
        ASSERT_FALSE(pause.lineEditing());
        int raw = 0;
        EXPECT_EQ(waitpid(pause.pid, &raw, WNOHANG), 0) << "exited without waiting for a key";
        EXPECT_TRUE(fs::exists("testZbuf_Phong.ppm"));

        pause.type(key);
        const ProgramRun run = finish(pause.pid);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "Press any key to continue . . . \n");
        EXPECT_TRUE(pause.lineEditing());
        EXPECT_EQ(pause.leftOver(), "\n") << "after the key " << key.substr(1);
    }
}

TEST(Program, CtrlCAtThePauseRestoresTheTerminal) {
    ScratchDir dir;
    const AtThePause pause;
    ASSERT_FALSE(pause.lineEditing());
    pause.type("\x03");
    int raw = 0;
    ASSERT_EQ(waitpid(pause.pid, &raw, 0), pause.pid);
    EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == SIGINT);
    EXPECT_TRUE(pause.lineEditing());
}

TEST(Program, NeverWaitsInTheBackgroundOfItsTerminal) {
    ScratchDir dir;
    int controller = -1, terminal = -1;
    ASSERT_EQ(openpty(&controller, &terminal, nullptr, nullptr, nullptr), 0);
    // A session of its own owns the terminal; kelvotrace runs there as a background job.
    const pid_t session = fork();
    if (session == 0) {
        setsid();
        ioctl(terminal, TIOCSCTTY, 0);
        const pid_t pid = start(terminal, {"", RLIM_INFINITY, false, true});
        _exit(finish(pid).status);
    }
    int raw = 0;
    ASSERT_EQ(waitpid(session, &raw, 0), session);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << raw;
    EXPECT_EQ(readFile("stdout.txt"), "");
    close(controller);
    close(terminal);
}

// Waits up to five seconds for a condition; whether it came true.
template <typename Condition> bool within5s(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

bool stopped(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    return stat.size() > stat.rfind(')') + 2 && stat[stat.rfind(')') + 2] == 'T';
}

TEST(Program, JobControlAtThePauseLeavesTheTerminalSound) {
    ScratchDir dir;
    const struct {
        const char *name, *keys;
        int signal;       // sent by kill after the keys
        bool nonBlocking; // the terminal left non-blocking by an earlier program
        int status;       // as the shell tells it: 128 + a signal that ended the program
        bool job = true;  // else started by the terminal itself, with no shell to continue it
    } cases[] = {
        {"Ctrl-Z, then continued: one key still ends the pause", "\x1A", 0, false, 0},
        {"Ctrl-Z refused without a shell: one-key mode stays", "\x1A", 0, false, 0, false},
        {"Ctrl-\\", "\x1C", 0, false, 128 + SIGQUIT},
        {"SIGUSR1", "", SIGUSR1, false, 128 + SIGUSR1},
        {"SIGALRM", "", SIGALRM, false, 128 + SIGALRM},
        {"non-blocking terminal", "", 0, true, 0},
    };
    for (const auto &t : cases) {
        SCOPED_TRACE(t.name);
        const AtThePause pause(t.job, t.nonBlocking);
        ASSERT_FALSE(pause.lineEditing());
        const pid_t job = tcgetpgrp(pause.controller); // its own group: the terminal's foreground
        pause.type(t.keys);
        if (!t.job) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_FALSE(stopped(job));
            EXPECT_FALSE(pause.lineEditing()) << "left in line mode";
        } else if (std::string(t.keys) == "\x1A") {
            ASSERT_TRUE(within5s([&] { return stopped(job); }));
            EXPECT_TRUE(pause.lineEditing()) << "stopped with the terminal raw";
            kill(job, SIGCONT);
            EXPECT_TRUE(within5s([&] { return !pause.lineEditing(); })) << "not raw again";
        }
        if (t.signal != 0) {
            kill(job, t.signal);
        }
        if (t.status == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            int raw = 0;
            EXPECT_EQ(waitpid(pause.pid, &raw, WNOHANG), 0) << "did not wait for a key";
            pause.type("x");
        }
        EXPECT_EQ(finish(pause.pid).status, t.status);
        EXPECT_TRUE(pause.lineEditing());
    }
}
