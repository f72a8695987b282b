/* Preloaded into a real Vantrel process: counts the file operations it makes
 * on paths under one folder (the fake game folder) and, at the N-th one,
 * kills the process before the operation or makes that one operation fail.
 *
 * Environment:
 *   VANTREL_FAULT_ROOT   the folder whose operations count (absolute path)
 *   VANTREL_FAULT_AT     N, 1-based; 0 or unset: only count
 *   VANTREL_FAULT_MODE   "kill", "enospc" or "eio"
 *   VANTREL_FAULT_TRACE  a file that gets one line per counted operation:
 *                        "<n> <kind> <path>" (written as it happens)
 *
 * Counted: opening a file for writing, write, fwrite, fflush, fsync,
 * fdatasync, closing a file opened for writing, rename, unlink, remove,
 * rmdir, mkdir, and sendfile or copy_file_range into such a file. Reads are
 * not counted. The operations of other processes (the stand-in compiler and
 * converter) are not counted: the library takes itself out of the
 * environment before the program starts them. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

enum { kTrackedFds = 65536, kUntracked = 0, kReadOnly = 1, kWriting = 2 };

static char root[4096];
static size_t rootLength;
static long faultAt;
static int faultErrno;  /* 0: kill */
static int traceFd = -1;
static long operations;
static unsigned char tracked[kTrackedFds];
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

#define REAL(name) ((__typeof__(&name))real_function(#name))

static void* real_function(const char* name) {
    void* function = dlsym(RTLD_NEXT, name);
    if (!function) {
        static const char message[] = "fault_inject: a C library function is missing\n";
        (void)!write(2, message, sizeof message - 1);
        _exit(99);
    }
    return function;
}

__attribute__((constructor)) static void Start(void) {
    const char* value = getenv("VANTREL_FAULT_ROOT");
    if (value && *value && strlen(value) < sizeof root) {
        strcpy(root, value);
        rootLength = strlen(root);
        while (rootLength > 1 && root[rootLength - 1] == '/') root[--rootLength] = '\0';
    }
    value = getenv("VANTREL_FAULT_AT");
    faultAt = value ? atol(value) : 0;
    value = getenv("VANTREL_FAULT_MODE");
    faultErrno = value && strcmp(value, "enospc") == 0 ? ENOSPC : value && strcmp(value, "eio") == 0 ? EIO : 0;
    value = getenv("VANTREL_FAULT_TRACE");
    if (value && *value) traceFd = REAL(open)(value, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    /* The programs Vantrel starts are not under test. */
    unsetenv("LD_PRELOAD");
}

static int UnderRoot(const char* path) {
    return rootLength && path && strncmp(path, root, rootLength) == 0 &&
           (path[rootLength] == '/' || path[rootLength] == '\0');
}

static int TrackedWriting(int fd) { return fd >= 0 && fd < kTrackedFds && tracked[fd] == kWriting; }

static void Track(int fd, int how) {
    if (fd >= 0 && fd < kTrackedFds) tracked[fd] = (unsigned char)how;
}

/* Called before each counted operation: returns 0 to go on, or -1 with errno
 * set for an operation that must fail; does not return for a kill. */
static int Operation(const char* kind, const char* path) {
    pthread_mutex_lock(&lock);
    const long n = ++operations;
    if (traceFd >= 0) {
        char line[4400];
        const int length = snprintf(line, sizeof line, "%ld %s %s\n", n, kind, path ? path : "-");
        if (length > 0)
            (void)!REAL(write)(traceFd, line, (size_t)length < sizeof line ? (size_t)length : sizeof line - 1);
    }
    pthread_mutex_unlock(&lock);
    if (n != faultAt) return 0;
    if (faultErrno == 0) {
        kill(getpid(), SIGKILL);
        for (;;) pause();
    }
    errno = faultErrno;
    return -1;
}

static const char* FdPath(int fd, char* buffer, size_t size) {
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, buffer, size - 1);
    buffer[length > 0 ? length : 0] = '\0';
    return buffer;
}

static int WritesTo(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND)) != 0; }

/* The verdict on a counted operation (0: go on) on a path, or on a file of
 * ours open for writing. */
static int OnPath(const char* kind, const char* path) { return UnderRoot(path) ? Operation(kind, path) : 0; }

static int OnWritten(const char* kind, int fd) {
    char path[4096];
    return TrackedWriting(fd) ? Operation(kind, FdPath(fd, path, sizeof path)) : 0;
}

/* ---- opening */

static int OpenCounted(const char* path, int flags) {
    return UnderRoot(path) && WritesTo(flags) ? Operation("open", path) : 0;
}

#define OPEN_BODY(realCall)                                                 \
    mode_t mode = 0;                                                        \
    if (flags & (O_CREAT | O_TMPFILE)) {                                    \
        va_list arguments;                                                  \
        va_start(arguments, flags);                                         \
        mode = va_arg(arguments, mode_t);                                   \
        va_end(arguments);                                                  \
    }                                                                       \
    if (OpenCounted(path, flags) != 0) return -1;                           \
    const int fd = realCall;                                                \
    if (fd >= 0 && UnderRoot(path)) Track(fd, WritesTo(flags) ? kWriting : kReadOnly); \
    return fd;

int open(const char* path, int flags, ...) { OPEN_BODY(REAL(open)(path, flags, mode)) }
int open64(const char* path, int flags, ...) { OPEN_BODY(REAL(open64)(path, flags, mode)) }

int openat(int dirfd, const char* path, int flags, ...) { OPEN_BODY(REAL(openat)(dirfd, path, flags, mode)) }
int openat64(int dirfd, const char* path, int flags, ...) { OPEN_BODY(REAL(openat64)(dirfd, path, flags, mode)) }

int creat(const char* path, mode_t mode) {
    if (OnPath("open", path)) return -1;
    const int fd = REAL(creat)(path, mode);
    if (fd >= 0 && UnderRoot(path)) Track(fd, kWriting);
    return fd;
}

static FILE* OpenStream(FILE* (*real)(const char*, const char*), const char* path, const char* mode) {
    const int writing = strpbrk(mode, "wa+") != NULL;
    if (UnderRoot(path) && writing && Operation("open", path) != 0) return NULL;
    FILE* stream = real(path, mode);
    if (stream && UnderRoot(path)) Track(fileno(stream), writing ? kWriting : kReadOnly);
    return stream;
}

FILE* fopen(const char* path, const char* mode) { return OpenStream(REAL(fopen), path, mode); }
FILE* fopen64(const char* path, const char* mode) { return OpenStream(REAL(fopen64), path, mode); }

FILE* fdopen(int fd, const char* mode) { return REAL(fdopen)(fd, mode); }

/* ---- writing, flushing, closing */

ssize_t write(int fd, const void* data, size_t size) {
    return OnWritten("write", fd) ? -1 : REAL(write)(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
    return OnWritten("write", fd) ? -1 : REAL(pwrite)(fd, data, size, offset);
}

size_t fwrite(const void* data, size_t size, size_t count, FILE* stream) {
    return OnWritten("write", fileno(stream)) ? 0 : REAL(fwrite)(data, size, count, stream);
}

int fflush(FILE* stream) { return stream && OnWritten("flush", fileno(stream)) ? EOF : REAL(fflush)(stream); }

static int BeforeSync(int fd) {
    char path[4096];
    return fd >= 0 && fd < kTrackedFds && tracked[fd] ? Operation("fsync", FdPath(fd, path, sizeof path)) : 0;
}

int fsync(int fd) { return BeforeSync(fd) ? -1 : REAL(fsync)(fd); }
int fdatasync(int fd) { return BeforeSync(fd) ? -1 : REAL(fdatasync)(fd); }

/* A failed close still closes: the error is what the caller sees. Returns
 * the operation's verdict for a file of ours (0: go on). */
static int BeforeClose(int fd, int* saved) {
    const int failed = OnWritten("close", fd);
    *saved = errno;
    Track(fd, kUntracked);
    return failed;
}

int close(int fd) {
    int saved = 0;
    const int failed = BeforeClose(fd, &saved);
    const int result = REAL(close)(fd);
    errno = failed ? saved : errno;
    return failed ? -1 : result;
}

int fclose(FILE* stream) {
    int saved = 0;
    const int failed = BeforeClose(fileno(stream), &saved);
    const int result = REAL(fclose)(stream);
    errno = failed ? saved : errno;
    return failed ? EOF : result;
}

ssize_t sendfile(int out, int in, off_t* offset, size_t count) {
    return OnWritten("write", out) ? -1 : REAL(sendfile)(out, in, offset, count);
}

ssize_t copy_file_range(int in, off_t* inOffset, int out, off_t* outOffset, size_t count, unsigned flags) {
    return OnWritten("write", out) ? -1 : REAL(copy_file_range)(in, inOffset, out, outOffset, count, flags);
}

/* ---- names */

static int OnRename(const char* from, const char* to) {
    return UnderRoot(from) || UnderRoot(to) ? Operation("rename", to) : 0;
}

int rename(const char* from, const char* to) { return OnRename(from, to) ? -1 : REAL(rename)(from, to); }

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    return OnRename(from, to) ? -1 : REAL(renameat)(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    return OnRename(from, to) ? -1 : REAL(renameat2)(fromDir, from, toDir, to, flags);
}

int unlink(const char* path) { return OnPath("unlink", path) ? -1 : REAL(unlink)(path); }
int unlinkat(int dir, const char* path, int flags) { return OnPath("unlink", path) ? -1 : REAL(unlinkat)(dir, path, flags); }
int remove(const char* path) { return OnPath("unlink", path) ? -1 : REAL(remove)(path); }
int rmdir(const char* path) { return OnPath("unlink", path) ? -1 : REAL(rmdir)(path); }
int mkdir(const char* path, mode_t mode) { return OnPath("mkdir", path) ? -1 : REAL(mkdir)(path, mode); }
int mkdirat(int dir, const char* path, mode_t mode) { return OnPath("mkdir", path) ? -1 : REAL(mkdirat)(dir, path, mode); }
