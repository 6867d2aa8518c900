#include "orvane/io/MemoryFile.h"

#include "orvane/io/IOException.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace orvane::io {

MemoryFile::MemoryFile(const void* data, std::size_t length)
    : bytes(static_cast<const std::uint8_t*>(data),
            static_cast<const std::uint8_t*>(data) + std::min<std::size_t>(length, INT_MAX)) {}

int MemoryFile::write(const void* buffer, int count) {
    if (count <= 0)
        return 0;
    const std::int64_t end = std::int64_t(at) + count;
    if (end > INT_MAX)
        return 0;
    if (std::size_t(end) > bytes.size())
        bytes.resize(std::size_t(end));
    std::memcpy(bytes.data() + at, buffer, std::size_t(count));
    at = int(end);
    return count;
}

int MemoryFile::read(void* buffer, int count) {
    if (count <= 0 || std::size_t(at) >= bytes.size())
        return 0;
    const int got = int(std::min<std::size_t>(std::size_t(count), bytes.size() - at));
    std::memcpy(buffer, bytes.data() + at, std::size_t(got));
    at += got;
    return got;
}

int MemoryFile::seek(int offset, int mode) {
    std::int64_t base;
    switch (mode) {
    case FROM_START:
        base = 0;
        break;
    case FROM_CURRENT:
        base = at;
        break;
    case FROM_END:
        base = std::int64_t(bytes.size());
        break;
    default:
        throw IllegalPositionModeException();
    }
    const std::int64_t target = base + offset;
    if (target < 0 || target > INT_MAX)
        throw IOException();
    at = int(target);
    return at;
}

int MemoryFile::position() {
    return at;
}

bool MemoryFile::rewind() {
    at = 0;
    return true;
}

bool MemoryFile::flush() {
    return true;
}

int MemoryFile::size() {
    return int(bytes.size());
}

int MemoryFile::setSize(int length) {
    if (length < 0)
        return 0;
    bytes.resize(std::size_t(length));
    return length;
}

bool MemoryFile::isWritable() {
    return true;
}

bool MemoryFile::isReadable() {
    return true;
}

system::Timestamp MemoryFile::creationTime() {
    return {};
}

system::Timestamp MemoryFile::modificationTime() {
    return {};
}

system::Timestamp MemoryFile::accessTime() {
    return {};
}

types::String MemoryFile::getClassName() const {
    return object::classPath(File::getClassName(), ":MemoryFile");
}

} // namespace orvane::io
