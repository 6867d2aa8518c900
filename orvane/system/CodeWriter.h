#pragma once

#include <cstdint>

namespace orvane::system {

// Appends machine code bytes, little-endian. Without a destination it only counts, so
// an encoder runs once to measure a program and once more to write it into memory of
// exactly that size.
class CodeWriter {
public:
    explicit CodeWriter(unsigned char* destination = nullptr) noexcept
        : out(destination) {}

    void byte(std::uint8_t value) noexcept {
        if (out)
            out[position] = value;
        ++position;
    }
    void bytes(std::uint8_t first, std::uint8_t second) noexcept {
        byte(first);
        byte(second);
    }
    void word32(std::uint32_t value) noexcept { little(value); }
    void word64(std::uint64_t value) noexcept { little(value); }

    // Bytes written (or counted) so far: the offset of the next one.
    std::uint32_t offset() const noexcept { return position; }

private:
    template <class T>
    void little(T value) noexcept {
        for (unsigned i = 0; i < sizeof(T); ++i)
            byte(static_cast<std::uint8_t>(value >> (8 * i)));
    }

    unsigned char* out;
    std::uint32_t position = 0;
};

} // namespace orvane::system
