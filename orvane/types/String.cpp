#include "orvane/types/String.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

namespace orvane::types {

namespace {

std::uint32_t checkedLength(const char* text) {
    const std::size_t length = text ? std::strlen(text) : 0;
    if (length >= 0x80000000u)
        throw std::length_error("String: text longer than 2 GiB");
    return static_cast<std::uint32_t>(length);
}

char* allocate(std::uint32_t bytes) {
    auto* memory = static_cast<char*>(std::malloc(bytes));
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

} // namespace

std::uint32_t String::capacityFor(std::uint32_t length) {
    if (length == 0)
        return 0;
    if (length < 64)
        return 64;
    // Bit 28 is the highest examined; longer strings keep stepping by 2^26. The sum is
    // taken in 64 bits so that the loop ends and an impossible size is refused.
    std::uint64_t highest = 0x10000000u;
    while (highest > length)
        highest >>= 1;
    const std::uint64_t step = highest / 4;
    std::uint64_t capacity = highest;
    while (capacity <= length)
        capacity += step;
    if (capacity > 0xFFFFFFFFu)
        throw std::length_error("String: capacity beyond 4 GiB");
    return static_cast<std::uint32_t>(capacity);
}

String::String(const char* text) {
    adopt(text, checkedLength(text));
}

String::String(const String& other)
    : Object(other) {
    adopt(other.buffer, other.size);
}

String::String(String&& other) noexcept
    : Object(other)
    , buffer(std::exchange(other.buffer, nullptr))
    , bytes(std::exchange(other.bytes, 0))
    , size(std::exchange(other.size, 0)) {}

String::~String() {
    freeBuffer();
}

String& String::operator=(const String& other) {
    return assign(other);
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        freeBuffer();
        buffer = std::exchange(other.buffer, nullptr);
        bytes = std::exchange(other.bytes, 0);
        size = std::exchange(other.size, 0);
    }
    return *this;
}

String& String::operator=(const char* text) {
    return assign(text);
}

void String::freeBuffer() noexcept {
    std::free(buffer);
    buffer = nullptr;
    bytes = 0;
    size = 0;
}

// Takes textLength characters from text into a fresh buffer sized by the capacity rule.
void String::adopt(const char* text, std::uint32_t textLength) {
    if (textLength == 0)
        return;
    const std::uint32_t capacity = capacityFor(textLength);
    buffer = allocate(capacity);
    bytes = capacity;
    size = textLength;
    std::memcpy(buffer, text, textLength);
    buffer[textLength] = 0;
}

String& String::assign(const String& other) {
    if (this == &other)
        return *this;
    if (other.size == 0) {
        freeBuffer();
    } else if (other.size < bytes) {
        std::memcpy(buffer, other.buffer, other.size + 1);
        size = other.size;
    } else {
        freeBuffer();
        adopt(other.buffer, other.size);
    }
    return *this;
}

String& String::assign(const char* text) {
    const std::uint32_t textLength = checkedLength(text);
    if (textLength == 0) {
        freeBuffer();
    } else if (textLength < bytes) {
        // memmove: text may point into this very buffer.
        std::memmove(buffer, text, textLength);
        buffer[textLength] = 0;
        size = textLength;
    } else {
        String copy(text);
        *this = std::move(copy);
    }
    return *this;
}

void String::growAndAppend(const char* text, std::size_t textLength) {
    const std::uint64_t total = std::uint64_t(size) + textLength;
    if (total >= maxLength)
        throw std::length_error("String: text longer than 2 GiB");
    if (!buffer) {
        adopt(text, static_cast<std::uint32_t>(textLength));
        return;
    }
    // realloc often extends the buffer in place, which matters because the capacity rule
    // grows a long string by only an eighth to a quarter at a time. text may lie in the
    // old buffer: it is found again at the same offset.
    const std::uint32_t capacity = capacityFor(static_cast<std::uint32_t>(total));
    const auto offset =
        reinterpret_cast<std::uintptr_t>(text) - reinterpret_cast<std::uintptr_t>(buffer);
    const bool ownText = offset < bytes;
    auto* grown = static_cast<char*>(std::realloc(buffer, capacity));
    if (!grown)
        throw std::bad_alloc();
    buffer = grown;
    bytes = capacity;
    std::memmove(buffer + size, ownText ? buffer + offset : text, textLength);
    size = static_cast<std::uint32_t>(total);
    buffer[size] = 0;
}

bool String::equals(const String& other) const noexcept {
    return size == other.size && (size == 0 || std::memcmp(buffer, other.buffer, size) == 0);
}

int String::compare(const String& other) const noexcept {
    if (size == 0 || other.size == 0)
        return (size == 0 ? 0 : 1) - (other.size == 0 ? 0 : 1);
    return std::strcmp(buffer, other.buffer);
}

int String::lastIndexOf(char c, int from) const noexcept {
    const long first = from < 0 ? 0 : from;
    for (long p = long(size) - 1; p >= first; --p)
        if (buffer[p] == c)
            return static_cast<int>(p);
    return -1;
}

int String::lastIndexOf(const char* text, int from) const noexcept {
    const std::size_t n = text ? std::strlen(text) : 0;
    const long first = from < 0 ? 0 : from;
    if (long(size) < first + long(n))
        return -1;
    for (long p = long(size) - long(n); p >= first; --p)
        if (std::memcmp(cString() + p, text, n) == 0)
            return static_cast<int>(p);
    return -1;
}

String String::getName() const {
    return *this;
}

String String::toString() const {
    return *this;
}

String String::getClassName() const {
    return object::classPath(Object::getClassName(), ":String");
}

String::String(const char* left, std::uint32_t leftLength, const char* right,
               std::uint32_t rightLength) {
    const std::uint64_t total = std::uint64_t(leftLength) + rightLength;
    if (total >= 0x80000000u)
        throw std::length_error("String: text longer than 2 GiB");
    if (total == 0)
        return;
    bytes = capacityFor(static_cast<std::uint32_t>(total));
    buffer = allocate(bytes);
    size = static_cast<std::uint32_t>(total);
    // Either side may be empty, and an empty C string may come as null.
    if (leftLength)
        std::memcpy(buffer, left, leftLength);
    if (rightLength)
        std::memcpy(buffer + leftLength, right, rightLength);
    buffer[size] = 0;
}

String operator+(const String& left, const char* right) {
    return String(left.cString(), left.size, right, checkedLength(right));
}

String operator+(const String& left, const String& right) {
    return String(left.cString(), left.size, right.cString(), right.size);
}

} // namespace orvane::types
