#include "orvane/graphics3d/mesh/VertexFormat.h"

#include "orvane/graphics3d/mesh/TypeCode.h"

namespace orvane::graphics3d {

int VertexFormat::addComponent(std::uint32_t type, std::uint32_t mask) {
    std::uint32_t index = 0;
    while (index < used && components[index].mask != 0)
        ++index;
    if (index == MAX_COMPONENTS)
        return -1;
    Component& entry = components[index];
    // A hole may still carry a type (set with a zero mask): its size leaves the vertex
    // with it, so that the stride stays the sum of the component sizes.
    const std::int64_t delta = std::int64_t(TypeCode::size(type)) - TypeCode::size(entry.type);
    entry.type = type;
    entry.mask = mask;
    entry.offset =
        index == 0 ? 0 : components[index - 1].offset + TypeCode::size(components[index - 1].type);
    if (index == used)
        ++used;
    else
        moveComponentsAfter(int(index), delta);
    vertexSize = std::uint32_t(vertexSize + delta);
    return int(index);
}

void VertexFormat::setComponent(int index, std::uint32_t type, std::uint32_t mask) {
    if (!isIndex(index))
        return;
    Component& entry = components[index];
    const std::int64_t delta = std::int64_t(TypeCode::size(type)) - TypeCode::size(entry.type);
    entry.type = type;
    entry.mask = mask;
    if (std::uint32_t(index) >= used) {
        for (; used <= std::uint32_t(index); ++used)
            components[used].offset = vertexSize;
    } else {
        moveComponentsAfter(index, delta);
    }
    vertexSize = std::uint32_t(vertexSize + delta);
}

void VertexFormat::removeComponent(int index) {
    if (!isIndex(index))
        return;
    Component& entry = components[index];
    const std::uint32_t size = TypeCode::size(entry.type);
    vertexSize -= size;
    entry.type = 0;
    entry.mask = 0;
    moveComponentsAfter(index, -std::int64_t(size));
}

void VertexFormat::compact() {
    std::uint32_t kept = 0;
    for (std::uint32_t index = 0; index < used; ++index) {
        if (components[index].type == 0 && components[index].mask == 0)
            continue;
        if (kept != index)
            components[kept] = components[index];
        ++kept;
    }
    // Entries past the end stay empty, so that comparisons and later additions never see
    // what was moved away from them.
    for (std::uint32_t index = kept; index < used; ++index)
        components[index] = Component();
    used = kept;
}

void VertexFormat::append(const VertexFormat& other) {
    const VertexFormat source = other; // `other` may be this format
    for (std::uint32_t index = 0; index < source.used; ++index) {
        const Component& entry = source.components[index];
        if (entry.type != 0 || entry.mask != 0)
            addComponent(entry.type, entry.mask);
    }
}

bool VertexFormat::operator==(const VertexFormat& other) const noexcept {
    for (int index = 0; index < MAX_COMPONENTS; ++index) {
        const Component& a = components[index];
        const Component& b = other.components[index];
        if (a.mask == 0 && b.mask == 0)
            continue;
        if (a.mask != b.mask || a.type != b.type || a.offset != b.offset)
            return false;
    }
    return true;
}

void VertexFormat::moveComponentsAfter(int index, std::int64_t delta) noexcept {
    for (std::uint32_t later = std::uint32_t(index) + 1; later < used; ++later)
        components[later].offset = std::uint32_t(components[later].offset + delta);
}

types::String VertexFormat::getClassName() const {
    return object::classPath(Object::getClassName(), ":VertexFormat");
}

} // namespace orvane::graphics3d
