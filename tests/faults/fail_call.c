// Preloaded into a program (LD_PRELOAD), fails the Nth call of one system call, as asked by the
// environment: FAIL_CALL names the call (open, write, fsync, fallocate, rename, linkat, close,
// fstat, realpath, fdopen, malloc), FAIL_AT gives N, FAIL_ERRNO the error. Each failure is
// noted in the file FAIL_REPORT at once, so that a run that then aborts still tells. Calls are
// counted from the start when FAIL_ARMED is set, else only between fault_arm(1) and fault_arm(0).
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

void *__libc_malloc(size_t size);

static const char *call, *report;
static long at, count;
static int error = EIO, armed = -1;

// Whether this call of family is the one to fail; errno is then set. Raw system calls note it.
static int failNow(const char *family) {
    if (armed < 0) {
        call = getenv("FAIL_CALL");
        report = getenv("FAIL_REPORT");
        at = call != NULL ? atol(getenv("FAIL_AT")) : 0;
        error = getenv("FAIL_ERRNO") != NULL ? atoi(getenv("FAIL_ERRNO")) : EIO;
        armed = getenv("FAIL_ARMED") != NULL;
    }
    if (!armed || call == NULL || strcmp(call, family) != 0 || ++count != at)
        return 0;
    if (report != NULL) {
        const long fd = syscall(SYS_openat, AT_FDCWD, report, O_WRONLY | O_CREAT | O_APPEND, 0644);
        syscall(SYS_write, fd, "injected\n", 9);
        syscall(SYS_close, fd);
    }
    errno = error;
    return 1;
}

void fault_arm(int on) {
    failNow("");
    armed = on != 0;
}

// The system's own function of that name.
#define REAL(name)                                                                              \
    static __typeof__(&name) real;                                                              \
    if (real == NULL)                                                                           \
        real = (__typeof__(&name))dlsym(RTLD_NEXT, #name);

// Defines a call that fails with value, or else goes to the system's own.
#define FAILING(family, value, result, name, params, ...)                                       \
    result name params {                                                                        \
        REAL(name)                                                                              \
        return failNow(family) ? value : real(__VA_ARGS__);                                     \
    }

void *malloc(size_t size) { return failNow("malloc") ? NULL : __libc_malloc(size); }

#define OPEN(name, params, ...)                                                                 \
    int name params {                                                                           \
        va_list rest;                                                                           \
        va_start(rest, flags);                                                                  \
        const mode_t mode = (flags & (O_CREAT | __O_TMPFILE)) ? va_arg(rest, mode_t) : 0;       \
        va_end(rest);                                                                           \
        REAL(name)                                                                              \
        return failNow("open") ? -1 : real(__VA_ARGS__, flags, mode);                           \
    }
OPEN(open, (const char *path, int flags, ...), path)
OPEN(open64, (const char *path, int flags, ...), path)
OPEN(openat, (int dir, const char *path, int flags, ...), dir, path)
OPEN(openat64, (int dir, const char *path, int flags, ...), dir, path)

FAILING("write", -1, ssize_t, write, (int fd, const void *b, size_t n), fd, b, n)
FAILING("fsync", -1, int, fsync, (int fd), fd)
FAILING("fallocate", -1, int, fallocate, (int fd, int m, off_t o, off_t n), fd, m, o, n)
FAILING("fallocate", -1, int, fallocate64, (int fd, int m, off64_t o, off64_t n), fd, m, o, n)
FAILING("fallocate", errno, int, posix_fallocate, (int fd, off_t o, off_t n), fd, o, n)
FAILING("rename", -1, int, rename, (const char *a, const char *b), a, b)
FAILING("linkat", -1, int, linkat, (int d, const char *a, int e, const char *b, int f), d, a, e,
        b, f)
FAILING("fstat", -1, int, fstat, (int fd, struct stat *s), fd, s)
FAILING("fstat", -1, int, fstat64, (int fd, struct stat64 *s), fd, s)
FAILING("fstat", -1, int, lstat, (const char *p, struct stat *s), p, s)
FAILING("fstat", -1, int, lstat64, (const char *p, struct stat64 *s), p, s)
FAILING("realpath", NULL, char *, realpath, (const char *p, char *r), p, r)
FAILING("fdopen", NULL, FILE *, fdopen, (int fd, const char *m), fd, m)

// A failed close still releases the descriptor, as Linux does.
int close(int fd) {
    REAL(close)
    const int result = real(fd);
    return failNow("close") ? -1 : result;
}
