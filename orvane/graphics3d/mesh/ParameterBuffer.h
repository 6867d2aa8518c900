#pragma once

#include "orvane/graphics3d/mesh/ParameterFormat.h"
#include "orvane/object/Object.h"

#include <cstddef>
#include <cstdint>
#include <new>

namespace orvane::graphics3d {

// A block of memory laid out by a ParameterFormat, made in the same allocation as the
// object: a parameter's bytes are at data() + component.offset. The contents start
// undefined.
//
// The buffer keeps a plain pointer to the format it was made for (no reference): the
// format's owner (a model) outlives the buffers made for it. The block's size is fixed at
// creation, so later changes of the format never make the buffer reach past its block.
class ParameterBuffer : public object::Object {
public:
    // A new buffer (count 1) of format.size() bytes; null when the format has no components.
    static ParameterBuffer* create(const ParameterFormat& format);

    std::uint8_t* data() noexcept { return block; }
    const std::uint8_t* data() const noexcept { return block; }
    std::uint32_t size() const noexcept { return blockSize; }
    const ParameterFormat* format() const noexcept { return madeFor; }

    // The bytes of the named parameter, or null when the format has no such parameter or
    // it would not lie inside the block.
    void* parameter(const char* name) noexcept;

    types::String getClassName() const override;

    // The block follows the object in its allocation.
    static void operator delete(void* memory) noexcept { ::operator delete(memory); }

private:
    explicit ParameterBuffer(const ParameterFormat& format) noexcept;
    // Room for the object and, after it, a block of `blockBytes`.
    static void* operator new(std::size_t bytes, std::size_t blockBytes);

    const ParameterFormat* madeFor;
    std::uint8_t* block;
    std::uint32_t blockSize;
};

} // namespace orvane::graphics3d
