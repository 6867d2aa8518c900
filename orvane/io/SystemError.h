#pragma once

namespace orvane::io {

// The engine keeps one table of file error codes (the numbering of the original
// platform's error codes); operating-system errors are first mapped onto it, then raised
// as the matching IO exception.
namespace ErrorCode {
constexpr int NONE = 0;
constexpr int FILE_NOT_FOUND = 2;
constexpr int PATH_NOT_FOUND = 3;
constexpr int TOO_MANY_OPEN_FILES = 4;
constexpr int ACCESS_DENIED = 5;
constexpr int WRITE_PROTECT = 19;
constexpr int SEEK = 25;
constexpr int WRITE_FAULT = 29;
constexpr int READ_FAULT = 30;
constexpr int SHARING_VIOLATION = 32;
constexpr int WRONG_DISK = 34;
constexpr int FILE_EXISTS = 80;
constexpr int OPEN_FAILED = 110;
constexpr int DISK_FULL = 112;
constexpr int SEEK_ON_DEVICE = 132;
constexpr int UNRECOGNIZED_VOLUME = 1005;
constexpr int FILE_INVALID = 1006;
constexpr int UNRECOGNIZED_MEDIA = 1785;
} // namespace ErrorCode

// What was being done when errno was set; an I/O error counts as a write fault while
// writing and as a read fault otherwise.
enum class FileOperation { Read, Write };

// The engine error code for an errno value (0 for those without one).
int errorCodeForErrno(int errnoValue, FileOperation operation = FileOperation::Read) noexcept;

// Throws the IO exception for an engine error code, with its fixed English message;
// codes outside the table throw a plain IOException whose message is "IOException".
// detail, when given, travels beside the message (Exception::getDetail): the system's own
// words for the failure, which the fixed messages cannot give.
[[noreturn]] void raiseError(int code, const char* detail = nullptr);

// raiseError() for an errno value, with the system's description of it as the detail.
[[noreturn]] void raiseSystemError(int errnoValue, FileOperation operation = FileOperation::Read);

// raiseSystemError() for the calling thread's current errno.
[[noreturn]] void raiseLastError(FileOperation operation = FileOperation::Read);

} // namespace orvane::io
