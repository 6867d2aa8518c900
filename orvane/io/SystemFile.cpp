#include "orvane/io/SystemFile.h"

#include "orvane/io/FileName.h"
#include "orvane/io/IOException.h"
#include "orvane/io/SystemError.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::io {

namespace {

constexpr int openFlags = O_CLOEXEC | O_NOCTTY;

int accessFlags(unsigned mode) {
    const bool read = mode & SystemFile::MODE_READ;
    const bool write = mode & SystemFile::MODE_WRITE;
    if (read && write)
        return O_RDWR;
    return write ? O_WRONLY : O_RDONLY;
}

// Closes a descriptor that failed a check after open() and raises the error of errno
// value `error`.
[[noreturn]] void abandon(int descriptor, int error,
                          FileOperation operation = FileOperation::Read) {
    ::close(descriptor);
    raiseSystemError(error, operation);
}

// Raises the error of a failed open() or creat(): a missing entry is a missing file when
// its directory exists and a missing path otherwise.
[[noreturn]] void raiseOpenError(const std::string& path) {
    const int error = errno;
    if (error == ENOENT && !parentDirectoryExists(path))
        raiseError(ErrorCode::PATH_NOT_FOUND, "No such directory");
    raiseSystemError(error);
}

// Takes the exclusive lock that stands for "share mode none", and refuses directories
// (which the system would open but the engine cannot use as files). Leaves the
// descriptor in blocking mode.
void claim(int descriptor) {
    struct stat status;
    if (::fstat(descriptor, &status) != 0)
        abandon(descriptor, errno);
    if (S_ISDIR(status.st_mode)) {
        ::close(descriptor);
        raiseError(ErrorCode::ACCESS_DENIED, "Is a directory");
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0)
        abandon(descriptor, errno);
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags != -1)
        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
}

template <class Call>
auto retryInterrupted(Call call) {
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}

system::Timestamp timestampOf(const struct statx_timestamp& time) {
    return system::Timestamp::fromUnix(time.tv_sec, time.tv_nsec);
}

} // namespace

SystemFile* SystemFile::open(const char* name, unsigned mode) {
    const std::string path = resolveCaseInsensitive(withSlashes(name));
    // Non-blocking so that opening a FIFO cannot hang; claim() switches it back.
    const int descriptor = ::open(path.c_str(), accessFlags(mode) | O_NONBLOCK | openFlags);
    if (descriptor < 0)
        raiseOpenError(path);
    claim(descriptor);
    return new SystemFile(descriptor, mode & MODE_READ, mode & MODE_WRITE);
}

SystemFile* SystemFile::create(const char* name) {
    const std::string path = resolveCaseInsensitive(withSlashes(name));
    // Not O_TRUNC: a file held open elsewhere must be left as it is, so it is emptied
    // only once the lock is ours.
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | openFlags, 0666);
    if (descriptor < 0)
        raiseOpenError(path);
    claim(descriptor);
    if (::ftruncate(descriptor, 0) != 0)
        abandon(descriptor, errno, FileOperation::Write);
    return new SystemFile(descriptor, true, true);
}

int deleteFile(const char* name) {
    const std::string path = resolveCaseInsensitive(withSlashes(name));
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | openFlags);
    if (descriptor >= 0) {
        const bool held = ::flock(descriptor, LOCK_EX | LOCK_NB) != 0;
        ::close(descriptor);
        if (held)
            return 1;
    }
    return ::unlink(path.c_str()) == 0 ? 0 : 1;
}

bool SystemFile::close() {
    if (handle < 0)
        return true;
    const int descriptor = handle;
    handle = -1;
    writable = readable = false;
    // A failed close still releases the descriptor on Linux; it is never retried.
    if (::close(descriptor) != 0 && errno != EINTR)
        raiseLastError(FileOperation::Write);
    return true;
}

SystemFile::~SystemFile() {
    if (handle >= 0)
        ::close(handle);
}

int SystemFile::write(const void* buffer, int count) {
    if (!writable || count <= 0)
        return 0;
    const ssize_t written = retryInterrupted([&] { return ::write(handle, buffer, count); });
    return written < 0 ? 0 : int(written);
}

int SystemFile::read(void* buffer, int count) {
    if (!readable || count <= 0)
        return 0;
    const ssize_t got = retryInterrupted([&] { return ::read(handle, buffer, count); });
    return got < 0 ? 0 : int(got);
}

int SystemFile::seek(int offset, int mode) {
    int whence;
    switch (mode) {
    case FROM_START:
        whence = SEEK_SET;
        break;
    case FROM_CURRENT:
        whence = SEEK_CUR;
        break;
    case FROM_END:
        whence = SEEK_END;
        break;
    default:
        throw IllegalPositionModeException();
    }
    const off_t start = ::lseek(handle, 0, SEEK_CUR);
    if (start < 0)
        raiseLastError();
    const off_t reached = ::lseek(handle, offset, whence);
    if (reached < 0)
        raiseLastError();
    if (reached > INT_MAX) {
        ::lseek(handle, start, SEEK_SET);
        raiseError(ErrorCode::NONE);
    }
    return int(reached);
}

int SystemFile::position() {
    const off_t at = ::lseek(handle, 0, SEEK_CUR);
    return at < 0 || at > INT_MAX ? -1 : int(at);
}

bool SystemFile::rewind() {
    if (::lseek(handle, 0, SEEK_SET) != 0)
        raiseLastError();
    return true;
}

bool SystemFile::flush() {
    return handle >= 0 && ::fsync(handle) == 0;
}

int SystemFile::size() {
    struct stat status;
    if (::fstat(handle, &status) != 0 || status.st_size > INT_MAX)
        return -1;
    return int(status.st_size);
}

int SystemFile::setSize(int length) {
    if (!writable || length < 0)
        return 0;
    if (retryInterrupted([&] { return ::ftruncate(handle, length); }) != 0)
        return 0;
    return length;
}

bool SystemFile::isWritable() {
    return writable;
}

bool SystemFile::isReadable() {
    return readable;
}

namespace {

bool queryTimes(int descriptor, struct statx& status) {
    return descriptor >= 0 &&
           ::statx(descriptor, "", AT_EMPTY_PATH,
                   STATX_BTIME | STATX_MTIME | STATX_ATIME | STATX_CTIME, &status) == 0;
}

} // namespace

system::Timestamp SystemFile::creationTime() {
    struct statx status;
    if (!queryTimes(handle, status))
        return {};
    return timestampOf((status.stx_mask & STATX_BTIME) ? status.stx_btime : status.stx_ctime);
}

system::Timestamp SystemFile::modificationTime() {
    struct statx status;
    return queryTimes(handle, status) ? timestampOf(status.stx_mtime) : system::Timestamp();
}

system::Timestamp SystemFile::accessTime() {
    struct statx status;
    return queryTimes(handle, status) ? timestampOf(status.stx_atime) : system::Timestamp();
}

types::String SystemFile::getClassName() const {
    return object::classPath(File::getClassName(), ":SystemFile");
}

} // namespace orvane::io
