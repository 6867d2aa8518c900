#include "orvane/io/SystemError.h"

#include "orvane/io/IOException.h"

#include <cerrno>
#include <cstring>

namespace orvane::io {

int errorCodeForErrno(int errnoValue, FileOperation operation) noexcept {
    switch (errnoValue) {
    case ENOENT:
        return ErrorCode::FILE_NOT_FOUND;
    case ENOTDIR:
        return ErrorCode::PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE:
        return ErrorCode::TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
        return ErrorCode::ACCESS_DENIED;
    case EROFS:
        return ErrorCode::WRITE_PROTECT;
    case EIO:
        return operation == FileOperation::Write ? ErrorCode::WRITE_FAULT : ErrorCode::READ_FAULT;
    case EWOULDBLOCK:
        return ErrorCode::SHARING_VIOLATION;
    case EEXIST:
        return ErrorCode::FILE_EXISTS;
    case ENXIO:
    case ENODEV:
        return ErrorCode::OPEN_FAILED;
    case ENOSPC:
    case EDQUOT:
        return ErrorCode::DISK_FULL;
    case ESPIPE:
        return ErrorCode::SEEK_ON_DEVICE;
    default:
        return ErrorCode::NONE;
    }
}

namespace {

[[noreturn]] void raiseForCode(int code) {
    using namespace ErrorCode;
    switch (code) {
    case FILE_NOT_FOUND:
        throw FileNotFoundException("The system cannot find the file specified.");
    case TOO_MANY_OPEN_FILES:
        throw FileOpenException("The system cannot open the file.");
    case WRITE_PROTECT:
        throw FileWriteException("The media is write protected.");
    case SEEK:
        throw IOException("The drive cannot locate a specific area or track on the disk.");
    case WRITE_FAULT:
        throw FileWriteException("The system cannot write to the specified device.");
    case READ_FAULT:
        throw FileReadException("The system cannot read from the specified device.");
    case SHARING_VIOLATION:
        throw IOException("The process cannot access the file because it is being used by "
                          "another process.");
    case WRONG_DISK:
        throw IOException("The wrong diskette is in the drive.");
    case FILE_EXISTS:
        throw FileExistsException("The file exists.");
    case OPEN_FAILED:
        throw FileOpenException("The system cannot open the device or file specified.");
    case DISK_FULL:
        throw DiskFullException("There is not enough space on the disk.");
    case SEEK_ON_DEVICE:
        throw FileSeekException("The file pointer cannot be set on the specified device or "
                                "file.");
    case UNRECOGNIZED_VOLUME:
        throw IOException("The volume does not contain a recognized file system.");
    case FILE_INVALID:
        throw IOException("The volume for a file has been externally altered so that the "
                          "opened file is no longer valid.");
    case UNRECOGNIZED_MEDIA:
        throw IOException("The disk media is not recognized. It may not be formatted.");
    default:
        throw IOException();
    }
}

} // namespace

void raiseError(int code, const char* detail) {
    try {
        raiseForCode(code);
    } catch (object::Exception& raised) {
        if (detail)
            raised.setDetail(detail);
        throw; // the same object, of its own class
    }
}

void raiseSystemError(int errnoValue, FileOperation operation) {
    char text[128];
    raiseError(errorCodeForErrno(errnoValue, operation), strerror_r(errnoValue, text, sizeof text));
}

void raiseLastError(FileOperation operation) {
    raiseSystemError(errno, operation);
}

} // namespace orvane::io
