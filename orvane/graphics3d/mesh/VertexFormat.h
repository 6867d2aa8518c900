#pragma once

#include "orvane/graphics3d/state/StateStacks.h"
#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::graphics3d {

// The layout of one vertex: up to 16 components, each a type code (TypeCode.h), an array
// mask naming the OpenGL client array or arrays it feeds, and its byte offset inside the
// vertex; `stride` is the vertex size, the sum of the component sizes.
//
// Removing a component leaves a hole (an entry with mask 0 and type 0) so that the
// indices of the others stay; adding reuses the first hole and moves the components
// after it; `compact` closes the holes. A value-like object, copied whole.
class VertexFormat : public object::Object {
public:
    // Array mask bits; bit numbers are also the per-array slots of a VertexBuffer.
    static constexpr std::uint32_t ARRAY_POSITION = ShaderStack::ARRAY_POSITION;
    static constexpr std::uint32_t ARRAY_NORMAL = ShaderStack::ARRAY_NORMAL;
    static constexpr std::uint32_t ARRAY_COLOUR = ShaderStack::ARRAY_COLOUR;
    static constexpr std::uint32_t ARRAY_WEIGHT = ShaderStack::ARRAY_WEIGHT;
    static constexpr std::uint32_t ARRAY_FOG = ShaderStack::ARRAY_FOG;
    static constexpr std::uint32_t ARRAY_EDGE_FLAG = ShaderStack::ARRAY_EDGE_FLAG;
    static constexpr std::uint32_t ARRAY_TEXCOORD0 = ShaderStack::ARRAY_TEXCOORD0;
    static constexpr std::uint32_t ARRAY_BITS = 20;

    static constexpr int MAX_COMPONENTS = 16;

    struct Component {
        std::uint32_t type = 0;   // 0: empty
        std::uint32_t mask = 0;   // 0: empty (a hole)
        std::uint32_t offset = 0; // bytes from the start of the vertex
        // Filled in by VertexBuffer: the scalar count and the OpenGL type.
        std::uint32_t count = 0;
        std::uint32_t glType = 0;
    };

    // Puts the component into the first hole, or after the last entry; answers its index,
    // or -1 (nothing changed) when all 16 entries are in use.
    int addComponent(std::uint32_t type, std::uint32_t mask);
    // Replaces the component at `index`, counting in the entries up to it when it lies
    // beyond the last one; the components after it move by the change of size. An index
    // outside 0..15 changes nothing.
    void setComponent(int index, std::uint32_t type, std::uint32_t mask);
    // Empties the component at `index`, leaving a hole; the components after it move down.
    void removeComponent(int index);
    // Drops the holes, keeping the order of the components.
    void compact();
    // Adds every non-empty component of `other`, in order.
    void append(const VertexFormat& other);

    const Component& component(int index) const noexcept { return components[index]; }
    Component& component(int index) noexcept { return components[index]; }
    std::uint32_t componentOffset(int index) const noexcept { return components[index].offset; }
    std::uint32_t stride() const noexcept { return vertexSize; }
    // Used entries, holes included.
    std::uint32_t componentCount() const noexcept { return used; }

    // Equal when every entry that has a mask on either side has the same mask, type and
    // offset on both; stride, count and glType are not compared.
    bool operator==(const VertexFormat& other) const noexcept;

    types::String getClassName() const override;

private:
    static bool isIndex(int index) noexcept { return index >= 0 && index < MAX_COMPONENTS; }
    void moveComponentsAfter(int index, std::int64_t delta) noexcept;

    Component components[MAX_COMPONENTS];
    std::uint32_t vertexSize = 0;
    std::uint32_t used = 0;
};

} // namespace orvane::graphics3d
