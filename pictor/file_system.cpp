#include "file_system.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

int openFile(const char *path, int flags) {
    return _open(path, flags | _O_BINARY, _S_IREAD | _S_IWRITE);
}
const int readOnly = _O_RDONLY;
const int writeExisting = _O_WRONLY;
const int createNew = _O_WRONLY | _O_CREAT | _O_EXCL;
int closeFile(int fd) { return _close(fd); }
long long writeSome(int fd, const char *bytes, std::size_t size) {
    return _write(fd, bytes, static_cast<unsigned>(size > (1u << 30) ? (1u << 30) : size));
}
std::FILE *streamOf(int fd, const char *mode) { return _fdopen(fd, mode); }
int processNumber() { return _getpid(); }
int flushToDisk(int fd) { return _commit(fd) == 0 ? 0 : errno; }
// A replaced file gets the folder's usual rights.
int carryMetadata(int, const struct stat &, int) { return 0; }

// Replaces an existing file in one step, as rename does on POSIX systems. Returns 0, or the
// nearest error number to the system's reason.
int replaceFile(const std::string &from, const std::string &to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
           : error == ERROR_DISK_FULL                                       ? ENOSPC
                                                                            : EIO;
}

#else

int openFile(const char *path, int flags) { return open(path, flags | O_CLOEXEC, 0666); }
// Non-blocking, so that a named pipe without a writer, or without a reader, does not hold up
// the open: it is refused (reading) or fails with ENXIO (writing) at once.
const int readOnly = O_RDONLY | O_NONBLOCK;
const int writeExisting = O_WRONLY | O_NONBLOCK;
const int createNew = O_WRONLY | O_CREAT | O_EXCL;
int closeFile(int fd) { return close(fd); }
long long writeSome(int fd, const char *bytes, std::size_t size) { return write(fd, bytes, size); }
std::FILE *streamOf(int fd, const char *mode) { return fdopen(fd, mode); }
int processNumber() { return static_cast<int>(getpid()); }
int flushToDisk(int fd) { return fsync(fd) == 0 ? 0 : errno; }
int replaceFile(const std::string &from, const std::string &to) {
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// The names of the extended attributes of fd, each ended by a zero byte; an empty list where
// the file system has none. False when they cannot be read.
bool attributeNames(int fd, std::string &names) {
    const ssize_t size = flistxattr(fd, nullptr, 0);
    if (size < 0) {
        names.clear();
        return errno == ENOTSUP;
    }
    names.assign(static_cast<std::size_t>(size), '\0');
    const ssize_t read = flistxattr(fd, &names[0], names.size());
    if (read < 0)
        return false;
    names.resize(static_cast<std::size_t>(read));
    return true;
}

bool listed(const std::string &names, const char *name) {
    for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1)
        if (names.compare(at, names.find('\0', at) - at, name) == 0)
            return true;
    return false;
}

// Gives to fd the extended attributes of old, the access ACL among them, and no others (a
// default ACL of the folder may have given the new file one). 0 or the error number.
int copyAttributes(int old, int fd) {
    std::string oldNames, newNames, value;
    if (!attributeNames(old, oldNames) || !attributeNames(fd, newNames))
        return errno;
    for (std::size_t at = 0; at < newNames.size(); at = newNames.find('\0', at) + 1) {
        const char *name = newNames.c_str() + at;
        if (!listed(oldNames, name) && fremovexattr(fd, name) != 0)
            return errno;
    }
    for (std::size_t at = 0; at < oldNames.size(); at = oldNames.find('\0', at) + 1) {
        const char *name = oldNames.c_str() + at;
        const ssize_t size = fgetxattr(old, name, nullptr, 0);
        if (size < 0)
            return errno;
        value.assign(static_cast<std::size_t>(size), '\0');
        const ssize_t read = fgetxattr(old, name, &value[0], value.size());
        if (read < 0 || fsetxattr(fd, name, value.data(), static_cast<std::size_t>(read), 0) != 0)
            return errno;
    }
    return 0;
}

// Makes fd a faithful stand-in for the file old describes: same owner and group, extended
// attributes and permission bits (set last, as a change of owner clears set-user-ID).
int carryMetadata(int old, const struct stat &status, int fd) {
    struct stat fresh {};
    if (fstat(fd, &fresh) != 0)
        return errno;
    if ((fresh.st_uid != status.st_uid || fresh.st_gid != status.st_gid) &&
        fchown(fd, status.st_uid, status.st_gid) != 0)
        return errno;
    if (const int error = copyAttributes(old, fd))
        return error;
    return fchmod(fd, status.st_mode & 07777) == 0 ? 0 : errno;
}

#endif

// A file descriptor closed when its owner goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            closeFile(fd_);
        fd_ = fd;
    }
    // Closes now; 0, or why the close failed (written bytes may then be lost).
    int close() {
        const int result = closeFile(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

// Writes every byte, however many calls the system needs. Returns 0 or the error number.
int writeAll(int fd, const ByteSpan &piece) {
    const char *bytes = static_cast<const char *>(piece.data);
    std::size_t left = piece.size;
    while (left > 0) {
        const long long written = writeSome(fd, bytes, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written == 0 ? EIO : errno;
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

int writePieces(int fd, const std::vector<ByteSpan> &pieces) {
    for (const ByteSpan &piece : pieces)
        if (const int error = writeAll(fd, piece))
            return error;
    return 0;
}

// The folder part of path with its separator, empty for a bare name.
std::string folderOf(const std::string &path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The name of a new file beside target, short so that a long file name still fits; attempt
// tells apart the names one process tries.
std::string temporaryName(const std::string &target, int attempt) {
    return folderOf(target) + ".pictor-" + std::to_string(processNumber()) + "-" +
           std::to_string(attempt);
}

// A new file beside target under a temporary name, made visible in the folder: removed again
// unless keep() is called.
class NamedTemporary {
  public:
    ~NamedTemporary() {
        file.reset();
        if (!name.empty())
            std::remove(name.c_str());
    }
    // 0, or why no file could be created.
    int create(const std::string &target) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            name = temporaryName(target, attempt);
            file.reset(openFile(name.c_str(), createNew));
            if (file)
                return 0;
            if (errno != EEXIST)
                break;
        }
        const int error = errno;
        name.clear();
        return error;
    }
    void keep() { name.clear(); }

    Descriptor file;
    std::string name;
};

// Writes the pieces into a named temporary, flushes it to disk and renames it over target.
// old (when not -1) is the file replaced, whose metadata the new one takes before its bytes.
// The temporary is gone on every failure.
int replaceThroughNamedFile(const std::string &target, int old, const struct stat &status,
                            const std::vector<ByteSpan> &pieces) {
    NamedTemporary temporary;
    int error = temporary.create(target);
    if (error == 0 && old >= 0)
        error = carryMetadata(old, status, temporary.file.get());
    if (error == 0)
        error = writePieces(temporary.file.get(), pieces);
    if (error == 0)
        error = flushToDisk(temporary.file.get());
    if (error == 0)
        error = temporary.file.close();
    if (error == 0)
        error = replaceFile(temporary.name, target);
    if (error == 0)
        temporary.keep(); // it is the target now
    return error;
}

// Writes the pieces into a device or a pipe with a reader, as they are.
int writeToDevice(Descriptor &device, const std::vector<ByteSpan> &pieces) {
#ifndef _WIN32
    // The writes then wait as usual instead of failing with EAGAIN.
    const int flags = fcntl(device.get(), F_GETFL);
    if (flags == -1 || fcntl(device.get(), F_SETFL, flags & ~O_NONBLOCK) == -1)
        return errno;
#endif
    const int error = writePieces(device.get(), pieces);
    const int closeError = device.close();
    return error != 0 ? error : closeError;
}

#ifdef _WIN32

// The old file stays closed while it is replaced: Windows renames no open file.
int saveExisting(const std::string &target, Descriptor &old, const struct stat &,
                 const std::vector<ByteSpan> &pieces) {
    old.reset();
    return replaceThroughNamedFile(target, -1, {}, pieces);
}

// Whether the file exists is for its open to tell: stat does not see every device.
int resolveTarget(const char *path, std::string &target, bool &exists) {
    target = path;
    exists = true;
    return 0;
}

#else

// The failures of a replacement that writing in place avoids: the folder or the old file's
// owner forbid it, only one copy fits on the disk, the name is a mount point, the file system
// lacks a feature.
bool inPlaceAvoids(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case ENOSPC:
    case EDQUOT:
    case EBUSY:
    case EXDEV:
    case EROFS:
    case EMLINK:
    case EOPNOTSUPP:
    case EINVAL:
    case EISDIR:
    case ENOENT:
        return true;
    default:
        return false;
    }
}

// Flushes the folder of target, so that the new name survives a crash too. The file has its
// name already, so nothing here may report the save as failed: not even a lack of memory.
void flushFolder(const std::string &target) noexcept {
    try {
        const std::string folder = folderOf(target);
        Descriptor fd(
            open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd)
            fsync(fd.get());
    } catch (const std::bad_alloc &) {
    }
}

// Gives the complete unnamed file fd a temporary name beside target, then renames it over
// target. Returns 0 or the error number; the temporary name is gone on failure.
int nameUnnamedFile(int fd, const std::string &target) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryName(target, attempt);
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        const int error = replaceFile(name, target);
        if (error != 0)
            unlink(name.c_str());
        return error;
    }
    return EEXIST;
}

// A new file for target, written whole and then renamed over it; old (when not -1) is the
// file it replaces, whose metadata it takes. On Linux the new file has no name until it is
// complete, so that nothing is left behind even when the program is killed; where the file
// system refuses that, a named temporary is removed on every failure path.
int replaceWhole(const std::string &target, int old, const struct stat &status,
                 const std::vector<ByteSpan> &pieces) {
    const std::string folder = folderOf(target);
    Descriptor fd(open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC,
                       0666));
    if (!fd && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        const int error = replaceThroughNamedFile(target, old, status, pieces);
        if (error == 0)
            flushFolder(target);
        return error;
    }
    if (!fd)
        return errno;
    int error = old >= 0 ? carryMetadata(old, status, fd.get()) : 0;
    if (error == 0)
        error = writePieces(fd.get(), pieces);
    if (error == 0)
        error = flushToDisk(fd.get());
    if (error == 0)
        error = nameUnnamedFile(fd.get(), target);
    if (error == 0)
        flushFolder(target);
    // Once flushed, a failing close loses nothing.
    return error;
}

std::uint64_t totalSize(const std::vector<ByteSpan> &pieces) {
    std::uint64_t size = 0;
    for (const ByteSpan &piece : pieces)
        size += piece.size;
    return size;
}

// Overwrites the regular file fd in place with the pieces. The new size is reserved before the
// first byte is written, so that a full disk or a file size limit leaves the file untouched.
int writeInPlace(Descriptor &fd, const std::vector<ByteSpan> &pieces) {
    const std::uint64_t size = totalSize(pieces);
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        size > limit.rlim_cur)
        return EFBIG;
    // Blocks for every byte, the file's size unchanged until written. A file system without
    // the call is written all the same.
    if (fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        return errno;
    int error = writePieces(fd.get(), pieces);
    if (error == 0 && ftruncate(fd.get(), static_cast<off_t>(size)) != 0)
        error = errno;
    if (error == 0)
        error = flushToDisk(fd.get());
    const int closeError = fd.close();
    return error != 0 ? error : closeError;
}

// A regular file is replaced only when the new file can stand in for it faithfully: a single
// name (another would keep the old picture), its metadata carried over; else, or when the
// rename is refused (a bind mount, a sticky folder), it is written in place.
int saveExisting(const std::string &target, Descriptor &old, const struct stat &status,
                 const std::vector<ByteSpan> &pieces) {
    if (status.st_nlink == 1) {
        const int error = replaceWhole(target, old.get(), status, pieces);
        if (error == 0 || !inPlaceAvoids(error))
            return error;
    }
    return writeInPlace(old, pieces);
}

// The name of the file a save writes: path with every symbolic link followed, and whether it
// exists. A link whose target does not exist yet names that target. Fails with the system's
// reason when the path cannot be resolved, so that a link never becomes a regular file.
int resolveTarget(const char *path, std::string &target, bool &exists) {
    exists = false;
    if (char *resolved = realpath(path, nullptr)) {
        target = resolved;
        std::free(resolved);
        exists = true;
        return 0;
    }
    if (errno != ENOENT)
        return errno;
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status {};
        if (lstat(target.c_str(), &status) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(status.st_mode))
            return ENOENT; // realpath found a missing folder on the way
        std::string link(static_cast<std::size_t>(status.st_size) + 1, '\0');
        const ssize_t size = readlink(target.c_str(), &link[0], link.size());
        if (size < 0)
            return errno;
        link.resize(static_cast<std::size_t>(size));
        target = link.compare(0, 1, "/") == 0 ? link : folderOf(target) + link;
    }
    return ELOOP;
}

#endif

// Takes over fd, the result of an open just made, as a buffered stream; closes fd when that
// fails. error: why the open or the stream failed, 0 when neither did.
FileHandle streamFor(int fd, const char *mode, std::vector<char> &buffer, int &error) {
    if (fd < 0) {
        error = errno;
        return FileHandle(nullptr, &std::fclose);
    }
    FileHandle file(streamOf(fd, mode), &std::fclose);
    if (!file) {
        error = errno;
        closeFile(fd);
        return file;
    }
    std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());
    error = 0;
    return file;
}

} // namespace

FileHandle openRegularFile(const char *path, std::vector<char> &buffer, bool &notRegular,
                           int &error) {
    notRegular = false;
    const int fd = openFile(path, readOnly);
    struct stat status {};
    if (fd >= 0 && fstat(fd, &status) != 0) { // what cannot be examined is not read
        error = errno;
        closeFile(fd);
        return FileHandle(nullptr, &std::fclose);
    }
    if (fd >= 0 && !S_ISREG(status.st_mode)) {
        closeFile(fd);
        // A directory keeps the system's own reason; anything else is told apart.
        notRegular = !S_ISDIR(status.st_mode);
        error = notRegular ? 0 : EISDIR;
        return FileHandle(nullptr, &std::fclose);
    }
    return streamFor(fd, "rb", buffer, error);
}

int saveFile(const char *path, const std::vector<ByteSpan> &pieces) {
    std::string target;
    bool exists = false;
    if (const int error = resolveTarget(path, target, exists))
        return error;
    // The existing file opened for writing, unchanged: this refuses what a plain save would (a
    // read-only file, a folder) and tells a regular file from a device or a pipe.
    Descriptor old(exists ? openFile(target.c_str(), writeExisting) : -1);
    if (exists && !old && errno != ENOENT)
        return errno;
    if (!old) {
#ifdef _WIN32
        return replaceThroughNamedFile(target, -1, {}, pieces);
#else
        return replaceWhole(target, -1, {}, pieces);
#endif
    }
    struct stat status {};
    if (fstat(old.get(), &status) != 0)
        return errno;
    if (!S_ISREG(status.st_mode))
        return writeToDevice(old, pieces);
    return saveExisting(target, old, status, pieces);
}
