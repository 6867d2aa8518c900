#pragma once

#include "orvane/graphics3d/gl/GL.h"

#include <cstdint>

namespace orvane::graphics3d {

// The 32-bit description of a vertex component or a parameter: the scalar kind in bits 0
// to 7, the number of scalars in bits 8 to 15 and the whole size in bytes in bits 16 to
// 23 (0x000C0324: three floats, 12 bytes). The size is always read from the code, never
// recomputed from kind and count.
struct TypeCode {
    // Scalar kinds: bit 4 marks an unsigned kind, bit 5 a floating-point one, the low nibble
    // is the size of one scalar in bytes.
    static constexpr std::uint32_t BYTE = 0x01;
    static constexpr std::uint32_t SHORT = 0x02;
    static constexpr std::uint32_t INT = 0x04;
    static constexpr std::uint32_t UNSIGNED_BYTE = 0x11;
    static constexpr std::uint32_t UNSIGNED_SHORT = 0x12;
    static constexpr std::uint32_t UNSIGNED_INT = 0x14;
    static constexpr std::uint32_t FLOAT = 0x24;
    static constexpr std::uint32_t DOUBLE = 0x28;

    static constexpr std::uint32_t make(std::uint32_t kind, std::uint32_t count,
                                        std::uint32_t bytes) {
        return (bytes & 0xFF) << 16 | (count & 0xFF) << 8 | (kind & 0xFF);
    }

    static constexpr std::uint32_t kind(std::uint32_t code) { return code & 0xFF; }
    static constexpr std::uint32_t count(std::uint32_t code) { return (code >> 8) & 0xFF; }
    static constexpr std::uint32_t size(std::uint32_t code) { return (code >> 16) & 0xFF; }
    // The scalar count OpenGL is given: only bits 8 to 11, so 1 to 4 for bindable components.
    static constexpr std::uint32_t glCount(std::uint32_t code) { return (code >> 8) & 0xF; }
    static constexpr std::uint32_t scalarSize(std::uint32_t code) { return code & 0xF; }

    // The OpenGL type of a scalar kind (GL_BYTE ... GL_DOUBLE), 0 for a kind outside the eight.
    static constexpr GLenum glType(std::uint32_t code) {
        switch (kind(code)) {
        case BYTE:
            return GL_BYTE;
        case SHORT:
            return GL_SHORT;
        case INT:
            return GL_INT;
        case UNSIGNED_BYTE:
            return GL_UNSIGNED_BYTE;
        case UNSIGNED_SHORT:
            return GL_UNSIGNED_SHORT;
        case UNSIGNED_INT:
            return GL_UNSIGNED_INT;
        case FLOAT:
            return GL_FLOAT;
        case DOUBLE:
            return GL_DOUBLE;
        default:
            return 0;
        }
    }
};

} // namespace orvane::graphics3d
