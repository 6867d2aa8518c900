#include "orvane/system/System.h"

#include <cstdio>

namespace orvane::system {

System::StandardInputStream System::standardInput;
System::StandardOutputStream System::standardOutput;
System::StandardErrorStream System::standardError;

namespace {

int writeWhole(std::FILE* stream, const void* buffer, int count) {
    if (count <= 0)
        return 0;
    return std::fwrite(buffer, std::size_t(count), 1, stream) == 1 ? count : 0;
}

} // namespace

int System::StandardInputStream::read(void* buffer, int count) {
    if (count <= 0)
        return 0;
    return std::fread(buffer, std::size_t(count), 1, stdin) == 1 ? count : 0;
}

int System::StandardInputStream::skip(int count) {
    return std::fseek(stdin, count, SEEK_CUR) == 0 ? count : 0;
}

int System::StandardInputStream::available() {
    return 1;
}

bool System::StandardInputStream::close() {
    return false;
}

int System::StandardOutputStream::write(const void* buffer, int count) {
    return writeWhole(stdout, buffer, count);
}

bool System::StandardOutputStream::flush() {
    std::fflush(stdout);
    return true;
}

bool System::StandardOutputStream::close() {
    return false;
}

int System::StandardErrorStream::write(const void* buffer, int count) {
    return writeWhole(stderr, buffer, count);
}

bool System::StandardErrorStream::flush() {
    std::fflush(stderr);
    return true;
}

bool System::StandardErrorStream::close() {
    return false;
}

} // namespace orvane::system
