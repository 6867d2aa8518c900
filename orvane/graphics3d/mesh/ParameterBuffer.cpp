#include "orvane/graphics3d/mesh/ParameterBuffer.h"

#include "orvane/graphics3d/mesh/TypeCode.h"

namespace orvane::graphics3d {
namespace {

// The block starts at the first suitably aligned address after the object.
constexpr std::size_t blockStart() {
    constexpr std::size_t alignment = alignof(std::max_align_t);
    return (sizeof(ParameterBuffer) + alignment - 1) / alignment * alignment;
}

} // namespace

void* ParameterBuffer::operator new(std::size_t, std::size_t blockBytes) {
    return ::operator new(blockStart() + blockBytes);
}

ParameterBuffer::ParameterBuffer(const ParameterFormat& format) noexcept
    : madeFor(&format)
    , block(reinterpret_cast<std::uint8_t*>(this) + blockStart())
    , blockSize(format.size()) {}

ParameterBuffer* ParameterBuffer::create(const ParameterFormat& format) {
    if (format.count() == 0)
        return nullptr;
    return new (std::size_t(format.size())) ParameterBuffer(format);
}

void* ParameterBuffer::parameter(const char* name) noexcept {
    const ParameterFormat::Component* component = madeFor->find(name);
    if (!component ||
        std::uint64_t(component->offset) + TypeCode::size(component->type) > blockSize)
        return nullptr;
    return block + component->offset;
}

types::String ParameterBuffer::getClassName() const {
    return object::classPath(Object::getClassName(), ":ParameterBuffer");
}

} // namespace orvane::graphics3d
