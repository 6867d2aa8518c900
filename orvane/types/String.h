#pragma once

#include "orvane/object/Object.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvane::types {

// The engine's owning 8-bit string. Every copy owns its own buffer; nothing is shared.
//
// The buffer is null exactly when no storage is owned (a fresh empty string, or after an
// empty assignment); otherwise it holds length characters and a terminating zero. Sizes
// follow capacityFor(), so repeated appends reallocate rarely and assignments or appends
// that fit reuse the buffer. Bytes are bytes: no encoding is assumed and embedded zeros
// are not supported.
class String : public object::Object {
public:
    String() noexcept = default;
    String(const char* text);
    String(const String& other);
    // Moving hands the buffer over; the source is left empty with no buffer.
    String(String&& other) noexcept;
    ~String() override;

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(const char* text);

    String& assign(const String& other);
    String& assign(const char* text);
    String& append(const String& other) {
        appendBytes(other.buffer, other.size);
        return *this;
    }
    String& append(const char* text) {
        appendBytes(text, text ? std::strlen(text) : 0);
        return *this;
    }
    // A zero character is not appended.
    String& append(char c) {
        if (c)
            appendBytes(&c, 1);
        return *this;
    }

    // The characters; a static empty C string when no buffer is owned, never null.
    const char* cString() const noexcept { return buffer ? buffer : ""; }
    std::uint32_t length() const noexcept { return size; }
    std::uint32_t capacity() const noexcept { return bytes; }
    bool isEmpty() const noexcept { return size == 0; }
    char operator[](std::uint32_t index) const noexcept { return buffer[index]; }

    bool equals(const String& other) const noexcept;
    bool notEquals(const String& other) const noexcept { return !equals(other); }
    // The empty string sorts first; otherwise bytes compare as unsigned characters up to
    // the first difference, as strcmp does. Negative, zero or positive.
    int compare(const String& other) const noexcept;

    // Greatest index p with from <= p < length holding c, or -1.
    int lastIndexOf(char c, int from = 0) const noexcept;
    // Greatest index p with from <= p <= length - strlen(text) where text occurs, or -1.
    int lastIndexOf(const char* text, int from = 0) const noexcept;

    String getName() const override;
    String toString() const override;
    String getClassName() const override;

    // Buffer size in bytes for a string of the given length: 0 for 0, 64 below 64, else
    // the highest power of two h in the length plus steps of h/4 until it exceeds the
    // length (64 -> 80, 100 -> 112, 128 -> 160, 200 -> 224).
    static std::uint32_t capacityFor(std::uint32_t length);

private:
    friend String operator+(const String& left, const char* right);
    friend String operator+(const String& left, const String& right);
    // The concatenation of two character runs, sized by the capacity rule for their sum.
    String(const char* left, std::uint32_t leftLength, const char* right,
           std::uint32_t rightLength);

    void adopt(const char* text, std::uint32_t textLength);
    // Appends in place when the text fits the buffer (the common case, kept inline);
    // otherwise growAndAppend() makes room. Text taken from this string lies before the
    // terminator, so it never overlaps the bytes written after it.
    void appendBytes(const char* text, std::size_t textLength) {
        if (textLength == 0)
            return;
        if (textLength < bytes - size && size + textLength < maxLength) {
            std::memcpy(buffer + size, text, textLength);
            size += static_cast<std::uint32_t>(textLength);
            buffer[size] = 0;
        } else {
            growAndAppend(text, textLength);
        }
    }
    void growAndAppend(const char* text, std::size_t textLength);
    void freeBuffer() noexcept;

    // Strings hold fewer characters than this.
    static constexpr std::uint32_t maxLength = 0x80000000u;

    char* buffer = nullptr;
    std::uint32_t bytes = 0; // capacity of buffer, 0 when it is null
    std::uint32_t size = 0;  // characters before the terminator
};

String operator+(const String& left, const char* right);
String operator+(const String& left, const String& right);

inline bool operator==(const String& left, const String& right) noexcept {
    return left.equals(right);
}
inline bool operator==(const String& left, const char* right) noexcept {
    return left.equals(String(right));
}
inline bool operator<(const String& left, const String& right) noexcept {
    return left.compare(right) < 0;
}

} // namespace orvane::types
