#include "file_system.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <cstdio>
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
int closeFile(int fd) { return _close(fd); }
long long writeSome(int fd, const char *bytes, std::size_t size) {
    return _write(fd, bytes, static_cast<unsigned>(size > (1u << 30) ? (1u << 30) : size));
}
std::FILE *streamOf(int fd, const char *mode) { return _fdopen(fd, mode); }

#else

int openFile(const char *path, int flags) { return open(path, flags | O_CLOEXEC, 0666); }
// Non-blocking, so that a named pipe without a writer, or without a reader, does not hold up
// the open: it is refused (reading) or fails with ENXIO (writing) at once.
const int readOnly = O_RDONLY | O_NONBLOCK;
const int writeExisting = O_WRONLY | O_NONBLOCK | O_NOCTTY;
int closeFile(int fd) { return close(fd); }
long long writeSome(int fd, const char *bytes, std::size_t size) { return write(fd, bytes, size); }
std::FILE *streamOf(int fd, const char *mode) { return fdopen(fd, mode); }

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

// The folder part of path with its separator, empty for a bare name; and the part after it.
// Only Windows takes a backslash for a separator; elsewhere it may be part of a name.
std::string folderOf(const std::string &path) {
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("/\\");
#else
    const std::size_t slash = path.rfind('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
std::string nameOf(const std::string &path) { return path.substr(folderOf(path).size()); }

// Sixteen hexadecimal digits that stand for text (FNV-1a): a short, fixed part of a name.
std::string digest(const std::string &text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    std::string digits(16, '0');
    for (int k = 15; k >= 0; --k, hash >>= 4)
        digits[static_cast<std::size_t>(k)] = "0123456789abcdef"[hash & 15];
    return digits;
}

// The temporary that a save of the file called name writes beside it: always the same for the
// same name, so that the next save finds and removes one left by a save that was killed, and
// short, so that a long file name still fits.
std::string temporaryName(const std::string &name) { return ".pictor-" + digest(name); }

#ifdef _WIN32

// A replaced file gets the folder's usual rights. The new bytes go to the fixed temporary, are
// committed and moved over target in one step; a temporary that cannot be removed is reported.
SaveOutcome replaceThroughNamedFile(const std::string &target,
                                    const std::vector<ByteSpan> &pieces) {
    const std::string name = folderOf(target) + temporaryName(nameOf(target));
    if (std::remove(name.c_str()) != 0 && errno != ENOENT)
        return {errno, name};
    Descriptor file(openFile(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL));
    if (!file)
        return {errno};
    SaveOutcome outcome;
    outcome.error = writePieces(file.get(), pieces);
    if (outcome.error == 0 && _commit(file.get()) != 0)
        outcome.error = errno;
    const int closeError = file.close();
    if (outcome.error == 0)
        outcome.error = closeError;
    if (outcome.error == 0 && !MoveFileExA(name.c_str(), target.c_str(),
                                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        outcome.error = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
                        : error == ERROR_DISK_FULL                                       ? ENOSPC
                                                                                         : EIO;
    }
    if (outcome.error != 0 && std::remove(name.c_str()) != 0)
        outcome.leftover = name;
    return outcome;
}

#else

// Where a file lives: an open folder (a handle only: it may be searchable and not readable) and
// the file's name in it, with the path that shows it to the user.
struct Place {
    Descriptor folder;
    std::string name, shown;
};

bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int openFolder(int from, const std::string &folder) {
    return openat(from, folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Finds the name of the file that the system opened through path, following path's links one
// by one from the folder that holds each, and checks that the name is still that file's. The
// system has already followed them with its own protections; this only finds where to write.
int locate(const std::string &path, const struct stat &file, Place &place) {
    place.shown = path;
    place.name = nameOf(path);
    place.folder.reset(openFolder(AT_FDCWD, folderOf(path)));
    for (int hops = 0; hops < 40; ++hops) {
        if (!place.folder)
            return errno;
        struct stat status {};
        if (fstatat(place.folder.get(), place.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return errno;
        if (!S_ISLNK(status.st_mode))
            return sameFile(status, file) ? 0 : ESTALE; // moved while being saved
        std::string link(static_cast<std::size_t>(status.st_size) + 1, '\0');
        const ssize_t size =
            readlinkat(place.folder.get(), place.name.c_str(), &link[0], link.size());
        if (size < 0)
            return errno;
        link.resize(static_cast<std::size_t>(size));
        const bool absolute = link.compare(0, 1, "/") == 0;
        place.shown = absolute ? link : folderOf(place.shown) + link;
        place.name = nameOf(link);
        place.folder.reset(openFolder(absolute ? AT_FDCWD : place.folder.get(), folderOf(link)));
    }
    return ELOOP;
}

// A file's extended attributes, the access ACL among them, as names and values.
using Attributes = std::vector<std::pair<std::string, std::string>>;

// The names of the extended attributes of fd, each ended by a zero byte; an empty list where
// the file system has none. 0 or the error number.
int attributeNames(int fd, std::string &names) {
    names.clear();
    const ssize_t size = flistxattr(fd, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP ? 0 : errno;
    names.assign(static_cast<std::size_t>(size), '\0');
    const ssize_t read = flistxattr(fd, &names[0], names.size());
    if (read < 0)
        return errno;
    names.resize(static_cast<std::size_t>(read));
    return 0;
}

int readAttributes(int fd, Attributes &attributes) {
    std::string names;
    if (const int error = attributeNames(fd, names))
        return error;
    for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
        const char *name = names.c_str() + at;
        const ssize_t size = fgetxattr(fd, name, nullptr, 0);
        std::string value(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
        const ssize_t read = size < 0 ? -1 : fgetxattr(fd, name, &value[0], value.size());
        if (read < 0)
            return errno;
        value.resize(static_cast<std::size_t>(read));
        attributes.emplace_back(name, value);
    }
    return 0;
}

// Gives fd exactly the attributes listed (a default ACL of the folder may have given it
// others). Set after the data: a write removes security.capability.
int setAttributes(int fd, const Attributes &attributes) {
    std::string names;
    if (const int error = attributeNames(fd, names))
        return error;
    for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
        const std::string name = names.c_str() + at;
        bool listed = false;
        for (const auto &attribute : attributes)
            listed = listed || attribute.first == name;
        if (!listed && fremovexattr(fd, name.c_str()) != 0)
            return errno;
    }
    for (const auto &attribute : attributes)
        if (fsetxattr(fd, attribute.first.c_str(), attribute.second.data(), attribute.second.size(),
                      0) != 0)
            return errno;
    return 0;
}

// What a file replaced must hand on to its successor.
struct Original {
    struct stat status;
    Attributes attributes;
};

// Makes the written file fd a faithful stand-in for the original: same owner and group, then
// the permission bits (a change of owner clears set-user-ID), then the extended attributes.
int carryMetadata(const Original &original, int fd) {
    struct stat fresh {};
    if (fstat(fd, &fresh) != 0)
        return errno;
    const struct stat &old = original.status;
    if ((fresh.st_uid != old.st_uid || fresh.st_gid != old.st_gid) &&
        fchown(fd, old.st_uid, old.st_gid) != 0)
        return errno;
    if (fchmod(fd, old.st_mode & 07777) != 0)
        return errno;
    return setAttributes(fd, original.attributes);
}

// Flushes a folder, so that a new name in it survives a crash too. The file has its name
// already, so a failure here does not undo the save.
void flushFolder(int folder) {
    Descriptor fd(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        fsync(fd.get());
}

// Gives the complete file fd, which has no name yet, the name name in folder: through /proc,
// or where there is none through the descriptor itself, which needs privilege.
int nameUnnamed(int fd, int folder, const std::string &name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return errno;
    return linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

// Moves from over name in folder; a name that was free must still be free (someone may have
// made a file there since), where the file system can tell.
int moveInto(int folder, const std::string &from, const std::string &name, bool wasFree) {
    if (wasFree && renameat2(folder, from.c_str(), folder, name.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (wasFree && errno != EINVAL)
        return errno;
    return renameat(folder, from.c_str(), folder, name.c_str()) == 0 ? 0 : errno;
}

// The new bytes, then the original's metadata, then a flush: the file ready to take a name.
int fill(int fd, const Original *original, const std::vector<ByteSpan> &pieces) {
    int error = writePieces(fd, pieces);
    if (error == 0 && original != nullptr)
        error = carryMetadata(*original, fd);
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    return error;
}

// Removes name from folder, a file left by a save that was killed: 0 when it is gone or was
// never there, else why it stays.
int removeStale(int folder, const std::string &name) {
    if (unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT)
        return 0;
    const int error = errno;
    struct stat status {};
    return fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT
               ? 0
               : error;
}

// Writes the pieces as a new file that takes the place's name, over the original when there is
// one. The file has no name until complete (Linux O_TMPFILE) and is then linked to the fixed
// temporary and renamed, or, for a name that was free, linked to it directly; where the system
// cannot do that (no /proc, a file system without it), it is written under the temporary name.
// A temporary that stays behind on failure is reported.
SaveOutcome writeWhole(const Place &place, const Original *original,
                       const std::vector<ByteSpan> &pieces) {
    const int folder = place.folder.get();
    const std::string temporary = temporaryName(place.name);
    const std::string copy = temporary + "~"; // of a save in place, see Backup
    std::string shown = folderOf(place.shown) + temporary, shownCopy = shown + "~";
    if (const int error = removeStale(folder, temporary))
        return {error, shown};
    SaveOutcome outcome;
    bool named = false; // the temporary name is taken
    Descriptor fd(openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (fd) {
        outcome.error = fill(fd.get(), original, pieces);
        if (outcome.error != 0)
            return outcome;
        outcome.error = nameUnnamed(fd.get(), folder, original ? temporary : place.name);
        named = outcome.error == 0 && original != nullptr;
        if (outcome.error == 0 && original == nullptr) {
            flushFolder(folder);
            return outcome; // a new name: done
        }
        if (outcome.error == ENOENT || outcome.error == EPERM) {
            fd.reset(); // no way to name it: written again under the temporary name
            outcome.error = 0;
        }
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return {errno};
    }
    if (!fd) {
        // Private while written over a file whose own permissions come last.
        fd.reset(openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        original != nullptr ? 0600 : 0666));
        if (!fd)
            return {errno};
        named = true;
        try {
            outcome.error = fill(fd.get(), original, pieces);
        } catch (const std::bad_alloc &) {
            outcome.error = ENOMEM; // the temporary goes below
        }
    }
    if (outcome.error == 0)
        outcome.error = fd.close();
    if (outcome.error == 0)
        outcome.error = moveInto(folder, temporary, place.name, original == nullptr);
    if (outcome.error == 0) {
        flushFolder(folder);
        // A copy of the old bytes left by a save in place that was killed goes too.
        if (original != nullptr && removeStale(folder, copy) != 0)
            outcome.leftover = std::move(shownCopy);
    } else if (named && unlinkat(folder, temporary.c_str(), 0) != 0) {
        outcome.leftover = std::move(shown);
    }
    return outcome;
}

// The failures of a replacement that writing in place avoids: the folder or the old file's
// owner forbid it, the name is a mount point, the file system lacks a feature. A full disk is
// not among them: in place, it would stop the write half-way.
bool inPlaceAvoids(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EBUSY:
    case EXDEV:
    case EMLINK:
    case EOPNOTSUPP:
    case EINVAL:
    case EISDIR:
    case ENOENT:
    case ESTALE:
        return true;
    default:
        return false;
    }
}

// Whether the folder lets nothing in it be removed or renamed (chattr +a or +i).
bool frozenFolder(int folder) {
    struct statx status {};
    const std::uint64_t frozen = STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE;
    return statx(folder, "", AT_EMPTY_PATH, 0, &status) == 0 &&
           (status.stx_attributes_mask & status.stx_attributes & frozen) != 0;
}

// Copies size bytes from the start of from to the start of to through buffer, allocating
// nothing: it puts old bytes back when memory may have run out. 0 or the error number.
int copyBytes(int from, int to, off_t size, std::vector<char> &buffer) {
    for (off_t at = 0; at < size;) {
        const ssize_t read = pread(from, buffer.data(), buffer.size(), at);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            return read == 0 ? EIO : errno; // the file shrank under us
        for (ssize_t done = 0; done < read;) {
            const ssize_t written =
                pwrite(to, buffer.data() + done, static_cast<std::size_t>(read - done), at + done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return written == 0 ? EIO : errno;
            done += written;
        }
        at += read;
    }
    return 0;
}

// The user's cache folder for pictor, made if need be: $XDG_CACHE_HOME/pictor, or
// ~/.cache/pictor. Empty when there is none to be had.
std::string cacheFolder() {
    const char *cache = std::getenv("XDG_CACHE_HOME");
    const char *home = std::getenv("HOME");
    std::string folder = cache != nullptr && cache[0] == '/' ? cache
                         : home != nullptr && home[0] == '/' ? std::string(home) + "/.cache"
                                                             : std::string();
    if (folder.empty())
        return folder;
    mkdir(folder.c_str(), 0700);
    folder += "/pictor";
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST ? folder + "/" : std::string();
}

// A flushed copy of the old bytes of a file about to be written in place: beside it where its
// folder allows, else in the user's cache folder. Its name is fixed per file, so that the next
// save replaces one left behind by a save that was killed.
struct Backup {
    Descriptor file;
    Descriptor folder;
    std::string name, shown;
    std::vector<char> buffer; // for the copy, and for putting it back
    bool stray = false;       // a copy that failed half-way could not be removed

    // 0, or why no copy could be made (the file must then not be touched).
    int make(const Place *place, int old, const struct stat &status) {
        buffer.resize(streamBufferSize);
        int error = ENOENT;
        if (place != nullptr && !frozenFolder(place->folder.get())) {
            folder.reset(openFolder(place->folder.get(), ""));
            name = temporaryName(place->name) + "~";
            shown = folderOf(place->shown) + name;
            error = copy(old, status);
            if (error != EACCES && error != EPERM && error != EROFS && error != ENOENT)
                return error; // a full disk is full for the cache as well
        }
        shown = cacheFolder();
        if (shown.empty())
            return error;
        folder.reset(openFolder(AT_FDCWD, shown));
        name = digest(std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino)) + "~";
        shown += name;
        return copy(old, status);
    }
    // 0, or why the copy could not be removed (it is then reported).
    int remove() {
        file.reset();
        return unlinkat(folder.get(), name.c_str(), 0) == 0 ? 0 : errno;
    }

  private:
    int copy(int old, const struct stat &status) {
        if (!folder)
            return errno;
        if (const int error = removeStale(folder.get(), name))
            return error;
        file.reset(openat(folder.get(), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!file)
            return errno;
        int error = copyBytes(old, file.get(), status.st_size, buffer);
        if (error == 0 && fsync(file.get()) != 0)
            error = errno;
        if (error == 0)
            flushFolder(folder.get());
        else
            stray = remove() != 0;
        return error;
    }
};

std::uint64_t totalSize(const std::vector<ByteSpan> &pieces) {
    std::uint64_t size = 0;
    for (const ByteSpan &piece : pieces)
        size += piece.size;
    return size;
}

// Gives the file fd, just written in place, the permission bits and attributes of the original
// that the write removed (set-user-ID, capabilities). Only the owner may set the bits: another
// user's file loses set-user-ID, as with any write. ENOMEM when memory ran out, else 0.
int putBackMetadata(int fd, const Original &original) {
    fchmod(fd, original.status.st_mode & 07777);
    try {
        Attributes now;
        if (readAttributes(fd, now) == 0 && now.size() < original.attributes.size())
            setAttributes(fd, original.attributes);
    } catch (const std::bad_alloc &) {
        return ENOMEM;
    }
    return 0;
}

// The pieces written over fd from its start, cut to their size, the metadata the write removed
// put back, and flushed. The new size is reserved first where the file system can.
int overwrite(int fd, const Original &original, const std::vector<ByteSpan> &pieces) {
    const std::uint64_t size = totalSize(pieces);
    if (fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        return errno;
    int error = lseek(fd, 0, SEEK_SET) == 0 ? writePieces(fd, pieces) : errno;
    if (error == 0 && ftruncate(fd, static_cast<off_t>(size)) != 0)
        error = errno;
    if (error == 0)
        error = putBackMetadata(fd, original);
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    return error;
}

// Writes the regular file old in place, keeping a copy of its old bytes first and putting them
// back when the write fails. place is where it lives, when known.
SaveOutcome writeInPlace(const std::string &path, int old, const Original &original,
                         const Place *place, const std::vector<ByteSpan> &pieces) {
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        totalSize(pieces) > limit.rlim_cur)
        return {EFBIG};
    // The old bytes are read through a second descriptor of the same file.
    Descriptor reader(place != nullptr ? openat(place->folder.get(), place->name.c_str(),
                                                O_RDONLY | O_NOFOLLOW | O_CLOEXEC)
                                       : open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (!reader || fstat(reader.get(), &status) != 0)
        return {errno};
    if (!sameFile(status, original.status))
        return {ESTALE};
    Backup backup;
    if (const int error = backup.make(place, reader.get(), original.status))
        return {error, backup.stray ? std::move(backup.shown) : std::string()};
    SaveOutcome outcome;
    outcome.error = overwrite(old, original, pieces);
    if (outcome.error != 0) {
        const int restored =
            copyBytes(backup.file.get(), old, original.status.st_size, backup.buffer);
        if (restored != 0 || ftruncate(old, original.status.st_size) != 0 ||
            putBackMetadata(old, original) != 0 || fsync(old) != 0) {
            outcome.damaged = true;
            outcome.leftover = std::move(backup.shown);
            return outcome;
        }
    }
    if (backup.remove() != 0)
        outcome.leftover = std::move(backup.shown);
    return outcome;
}

// Writes the pieces into a device or a pipe with a reader, as they are.
SaveOutcome writeToDevice(Descriptor &device, const std::vector<ByteSpan> &pieces) {
    // The writes then wait as usual instead of failing with EAGAIN.
    const int flags = fcntl(device.get(), F_GETFL);
    if (flags == -1 || fcntl(device.get(), F_SETFL, flags & ~O_NONBLOCK) == -1)
        return {errno};
    const int error = writePieces(device.get(), pieces);
    const int closeError = device.close();
    return {error != 0 ? error : closeError};
}

// Saves over the regular file old, opened through path: replaced whole when it has one name
// and its folder lets it, else written in place with a copy kept. created: the file was made
// empty just now by following a dangling link, and goes again if the save fails.
SaveOutcome saveRegular(const std::string &path, Descriptor &old, bool created,
                        const std::vector<ByteSpan> &pieces) {
    Original original{};
    if (fstat(old.get(), &original.status) != 0)
        return {errno};
    if (const int error = readAttributes(old.get(), original.attributes))
        return {error};
    Place place;
    const int located = locate(path, original.status, place);
    if (located != 0 && !inPlaceAvoids(located))
        return {located};
    SaveOutcome outcome{EPERM};
    if (located == 0 && original.status.st_nlink == 1 && !frozenFolder(place.folder.get()))
        outcome = writeWhole(place, &original, pieces);
    if (outcome.error != 0 && outcome.leftover.empty() && inPlaceAvoids(outcome.error))
        outcome = writeInPlace(path, old.get(), original, located == 0 ? &place : nullptr, pieces);
    if (outcome.error != 0 && created && located == 0) {
        struct stat status {};
        if (fstatat(place.folder.get(), place.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameFile(status, original.status) && status.st_size == 0 &&
            unlinkat(place.folder.get(), place.name.c_str(), 0) != 0 && outcome.leftover.empty())
            outcome.leftover = std::move(place.shown);
    }
    return outcome;
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

#ifdef _WIN32

SaveOutcome saveFile(const char *path, const std::vector<ByteSpan> &pieces) {
    // The existing file opened for writing, unchanged: this refuses what a plain save would (a
    // read-only file, a folder) and tells a regular file from a device.
    Descriptor old(openFile(path, writeExisting));
    if (!old && errno != ENOENT)
        return {errno};
    struct stat status {};
    if (old && fstat(old.get(), &status) != 0)
        return {errno};
    if (old && !S_ISREG(status.st_mode)) {
        const int error = writePieces(old.get(), pieces);
        const int closeError = old.close();
        return {error != 0 ? error : closeError};
    }
    old.reset(); // Windows moves no file that is open
    return replaceThroughNamedFile(path, pieces);
}

#else

SaveOutcome saveFile(const char *path, const std::vector<ByteSpan> &pieces) {
    // The existing file opened for writing by the name given, unchanged: the system follows its
    // links with its own protections, and refuses what a plain save would (a read-only file, a
    // folder).
    Descriptor old(openFile(path, writeExisting));
    bool created = false;
    if (!old) {
        if (errno != ENOENT)
            return {errno};
        struct stat status {};
        const bool named = lstat(path, &status) == 0;
        if (!named && errno != ENOENT)
            return {errno};
        if (!named || !S_ISLNK(status.st_mode)) {
            // A new name: written whole in its folder, and given the name only when complete.
            Place place;
            place.shown = path;
            place.name = nameOf(path);
            place.folder.reset(openFolder(AT_FDCWD, folderOf(path)));
            if (!place.folder)
                return {errno};
            return writeWhole(place, nullptr, pieces);
        }
        // A dangling link: followed only where an open that creates would follow it.
        old.reset(openFile(path, writeExisting | O_CREAT));
        if (!old)
            return {errno};
        created = true;
    }
    struct stat status {};
    if (fstat(old.get(), &status) != 0)
        return {errno};
    if (!S_ISREG(status.st_mode))
        return writeToDevice(old, pieces);
    return saveRegular(path, old, created, pieces);
}

#endif
