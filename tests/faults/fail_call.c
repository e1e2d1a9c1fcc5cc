// Preloaded (LD_PRELOAD), fails the Nth call of one family of system calls as the environment
// asks: FAIL_CALL names it (open, write, short, fsync, fallocate, ftruncate, rename, linkat,
// unlink, close, fstat, read, meta, fdopen, malloc), FAIL_AT gives N, FAIL_ERRNO the error; with
// FAIL_PERSIST set, every call from the Nth on fails, as a full disk stays full. FAIL_CALL=kill
// counts the calls of every family but malloc and ends the process with SIGKILL at the Nth, as
// a crash or a power cut would. FAIL_NOPROC makes every linkat fail with ENOENT, as where /proc
// is not mounted. Each failure is noted in the file FAIL_REPORT at once, so that a run that then
// aborts still tells. Calls count from the start with FAIL_ARMED set, else only between
// fault_arm(1) and fault_arm(0).
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/xattr.h>
#include <unistd.h>

void *__libc_malloc(size_t size);

static const char *call, *report;
static long at, count;
static int armed = -1, persist, killing, noProc;

static int failNow(const char *family) {
    if (armed < 0) {
        call = getenv("FAIL_CALL");
        report = getenv("FAIL_REPORT");
        at = call != NULL ? atol(getenv("FAIL_AT")) : 0;
        armed = getenv("FAIL_ARMED") != NULL;
        persist = getenv("FAIL_PERSIST") != NULL;
        noProc = getenv("FAIL_NOPROC") != NULL;
        killing = call != NULL && strcmp(call, "kill") == 0;
    }
    if (!armed || call == NULL || family[0] == '\0')
        return 0;
    if (killing ? strcmp(family, "malloc") == 0 || strcmp(family, "short") == 0
                : strcmp(call, family) != 0)
        return 0;
    if (persist ? ++count < at : ++count != at)
        return 0;
    const long fd = syscall(SYS_openat, AT_FDCWD, report, O_WRONLY | O_CREAT | O_APPEND, 0644);
    syscall(SYS_write, fd, "injected\n", 9); // raw calls: not counted, no malloc
    syscall(SYS_close, fd);
    if (killing)
        syscall(SYS_kill, syscall(SYS_getpid), SIGKILL);
    errno = atoi(getenv("FAIL_ERRNO"));
    return 1;
}

void fault_arm(int on) {
    failNow("");
    armed = on;
}

void *malloc(size_t size) { return failNow("malloc") ? NULL : __libc_malloc(size); }

// Defines a call that fails with value, or else goes to the system's own.
#define FAILING(family, value, result, name, params, ...)                                          \
    result name params {                                                                           \
        static __typeof__(&name) real;                                                             \
        if (real == NULL)                                                                          \
            real = (__typeof__(&name))dlsym(RTLD_NEXT, #name);                                     \
        return failNow(family) ? value : real(__VA_ARGS__);                                        \
    }
// The mode is passed on whether or not the flags ask for one.
#define MODE(flags)                                                                                \
    va_list rest;                                                                                  \
    va_start(rest, flags);                                                                         \
    mode_t mode = va_arg(rest, mode_t);                                                            \
    va_end(rest)

FAILING("open", -1, int, open, (const char *p, int f, ...), p, f, ({
            MODE(f);
            mode;
        }))
FAILING("open", -1, int, openat, (int d, const char *p, int f, ...), d, p, f, ({
            MODE(f);
            mode;
        }))
FAILING("fsync", -1, int, fsync, (int fd), fd)
FAILING("fallocate", -1, int, fallocate, (int fd, int m, off_t o, off_t n), fd, m, o, n)
FAILING("ftruncate", -1, int, ftruncate, (int fd, off_t n), fd, n)
FAILING("rename", -1, int, rename, (const char *a, const char *b), a, b)
FAILING("rename", -1, int, renameat, (int d, const char *a, int e, const char *b), d, a, e, b)
FAILING("rename", -1, int, renameat2, (int d, const char *a, int e, const char *b, unsigned f), d,
        a, e, b, f)
FAILING("unlink", -1, int, unlink, (const char *p), p)
FAILING("unlink", -1, int, unlinkat, (int d, const char *p, int f), d, p, f)
FAILING("fstat", -1, int, fstat, (int fd, struct stat *s), fd, s)
FAILING("fstat", -1, int, lstat, (const char *p, struct stat *s), p, s)
FAILING("fstat", -1, int, fstatat, (int d, const char *p, struct stat *s, int f), d, p, s, f)
FAILING("fstat", -1, int, statx, (int d, const char *p, int f, unsigned m, struct statx *s), d, p,
        f, m, s)
FAILING("read", -1, ssize_t, read, (int fd, void *b, size_t n), fd, b, n)
FAILING("read", -1, ssize_t, pread, (int fd, void *b, size_t n, off_t o), fd, b, n, o)
FAILING("write", -1, ssize_t, pwrite, (int fd, const void *b, size_t n, off_t o), fd, b, n, o)
FAILING("meta", -1, int, fchown, (int fd, uid_t u, gid_t g), fd, u, g)
FAILING("meta", -1, int, fchmod, (int fd, mode_t m), fd, m)
FAILING("meta", -1, int, fsetxattr, (int fd, const char *n, const void *v, size_t s, int f), fd, n,
        v, s, f)
FAILING("meta", -1, int, fremovexattr, (int fd, const char *n), fd, n)
FAILING("fdopen", NULL, FILE *, fdopen, (int fd, const char *m), fd, m)
FAILING("close", (real(fd), -1), int, close, (int fd), fd) // a failed close still releases fd

// FAIL_CALL=short cuts the Nth write or writev short instead, to half the bytes asked for (at
// least one), as a signal or a full pipe may: the caller must write the rest.
ssize_t write(int fd, const void *b, size_t n) {
    static __typeof__(&write) real;
    if (real == NULL)
        real = (__typeof__(&write))dlsym(RTLD_NEXT, "write");
    if (n > 1 && failNow("short"))
        return real(fd, b, n / 2);
    return failNow("write") ? -1 : real(fd, b, n);
}

ssize_t writev(int fd, const struct iovec *v, int n) {
    static __typeof__(&writev) real;
    if (real == NULL)
        real = (__typeof__(&writev))dlsym(RTLD_NEXT, "writev");
    size_t total = 0;
    for (int k = 0; k < n; ++k)
        total += v[k].iov_len;
    if (total > 1 && n <= 8 && failNow("short")) {
        struct iovec cut[8];
        size_t left = total / 2;
        int k = 0;
        for (; left > 0; ++k) {
            cut[k] = v[k];
            cut[k].iov_len = v[k].iov_len < left ? v[k].iov_len : left;
            left -= cut[k].iov_len;
        }
        return real(fd, cut, k);
    }
    return failNow("write") ? -1 : real(fd, v, n);
}

// Without /proc neither the link through /proc/self/fd nor the one through the descriptor
// itself (AT_EMPTY_PATH, which also needs privilege) can be made.
int linkat(int d, const char *a, int e, const char *b, int f) {
    static __typeof__(&linkat) real;
    if (real == NULL)
        real = (__typeof__(&linkat))dlsym(RTLD_NEXT, "linkat");
    if (failNow("linkat"))
        return -1;
    if (noProc && (strncmp(a, "/proc/", 6) == 0 || (f & AT_EMPTY_PATH) != 0)) {
        errno = ENOENT;
        return -1;
    }
    return real(d, a, e, b, f);
}
