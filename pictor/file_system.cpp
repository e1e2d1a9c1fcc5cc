#include "file_system.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
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
const int createOrEmpty = _O_WRONLY | _O_CREAT | _O_TRUNC;
int waitingWrites(int fd) { return fd; }
int closeFile(int fd) { return _close(fd); }
std::FILE *streamOf(int fd, const char *mode) { return _fdopen(fd, mode); }
int processNumber() { return _getpid(); }
bool flushToDisk(std::FILE *file) { return _commit(_fileno(file)) == 0; }
void keepPermissions(std::FILE *, int) {} // a replaced file gets the folder's usual rights
std::string followLinks(const std::string &path) { return path; }
bool isLink(const char *) { return false; }

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
const int createOrEmpty = O_WRONLY | O_CREAT | O_TRUNC;
// Writes on a device or a pipe with a reader then wait as usual instead of failing with EAGAIN.
int waitingWrites(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
int closeFile(int fd) { return close(fd); }
std::FILE *streamOf(int fd, const char *mode) { return fdopen(fd, mode); }
int processNumber() { return static_cast<int>(getpid()); }
bool flushToDisk(std::FILE *file) { return fsync(fileno(file)) == 0; }
void keepPermissions(std::FILE *file, int mode) {
    fchmod(fileno(file), static_cast<mode_t>(mode)); // best effort: the bytes matter most
}
int replaceFile(const std::string &from, const std::string &to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// The file a name stands for once every symbolic link is followed; the name itself when it does
// not exist yet.
std::string followLinks(const std::string &path) {
    char *resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return path;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

bool isLink(const char *path) {
    struct stat status {};
    return lstat(path, &status) == 0 && S_ISLNK(status.st_mode);
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

std::string folderOf(const std::string &path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

FileHandle openRegularFile(const char *path, std::vector<char> &buffer, bool &notRegular,
                           int &error) {
    notRegular = false;
    const int fd = openFile(path, readOnly);
    struct stat status {};
    if (fd >= 0 && fstat(fd, &status) == 0 && !S_ISREG(status.st_mode)) {
        closeFile(fd);
        // A directory keeps the system's own reason; anything else is told apart.
        notRegular = !S_ISDIR(status.st_mode);
        error = notRegular ? 0 : EISDIR;
        return FileHandle(nullptr, &std::fclose);
    }
    return streamFor(fd, "rb", buffer, error);
}

FileReplacement::FileReplacement(const char *path, std::vector<char> &buffer)
    : file_(nullptr, &std::fclose), target_(followLinks(path)) {
    // The existing file opened for writing, unchanged: this refuses what a plain save would (a
    // read-only file, a folder) and tells a regular file from a device or a pipe.
    const int existing = openFile(target_.c_str(), writeExisting);
    const int openError = existing < 0 ? errno : 0;
    if (openError == ENOENT && isLink(path)) {
        // A link to a file yet to be made: created through the link, as a plain save does.
        file_ = streamFor(openFile(path, createOrEmpty), "wb", buffer, error_);
        return;
    }
    if (existing < 0 && openError != ENOENT) {
        error_ = openError;
        return;
    }
    struct stat old {};
    const bool known = existing >= 0 && fstat(existing, &old) == 0;
    if (known && !S_ISREG(old.st_mode)) {
        file_ = streamFor(waitingWrites(existing), "wb", buffer, error_); // written in place
        return;
    }
    if (existing >= 0)
        closeFile(existing);

    // A short name of its own beside the target, so that a long file name still fits.
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_ = folderOf(target_) + ".pictor-" + std::to_string(processNumber()) + "-" +
                     std::to_string(attempt);
        file_ = streamFor(openFile(temporary_.c_str(), createNew), "wb", buffer, error_);
        if (!file_ && error_ != EEXIST)
            break;
    }
    if (!file_)
        temporary_.clear();
    else if (known)
        keepPermissions(file_.get(), static_cast<int>(old.st_mode & 07777));
}

FileReplacement::~FileReplacement() {
    file_.reset();
    if (!temporary_.empty())
        std::remove(temporary_.c_str());
}

bool FileReplacement::commit(bool written) {
    const int writeError = errno;
    bool saved = written && std::fflush(file_.get()) == 0 &&
                 (temporary_.empty() || flushToDisk(file_.get()));
    error_ = saved ? 0 : (written ? errno : writeError);

    // Closing flushes what is left, so a failure here is a failed write too.
    if (std::fclose(file_.release()) != 0 && saved) {
        saved = false;
        error_ = errno;
    }
    if (saved && !temporary_.empty()) {
        error_ = replaceFile(temporary_, target_);
        saved = error_ == 0;
        if (saved)
            temporary_.clear(); // it is the target now
    }
    if (!saved) {
        if (!temporary_.empty())
            std::remove(temporary_.c_str());
        temporary_.clear();
    }
    return saved;
}
