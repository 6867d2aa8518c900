#pragma once

#include "orvane/container/Array.h"
#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::graphics3d {

// A list of named, typed parameters laid out in one block of memory (a ParameterBuffer):
// a model's per-draw parameters, such as the 4x4 matrix "position". Offsets are the
// caller's; `size` is the sum of the component sizes (the size byte of each type code).
class ParameterFormat : public object::Object {
public:
    static constexpr int NAME_LENGTH = 64;

    struct Component {
        // NUL-padded; a name of exactly 64 characters has no terminator.
        char name[NAME_LENGTH];
        char alias[NAME_LENGTH];
        std::uint32_t offset;
        std::uint32_t type;
    };

    void add(const char* name, std::uint32_t type, std::uint32_t offset);
    void add(const char* name, const char* alias, std::uint32_t type, std::uint32_t offset);
    // Removes the first component of that name; the later ones move down one place and
    // their offsets by its size. Nothing happens when there is none.
    void remove(const char* name);
    // Appends `other`'s components with their offsets moved past this format's size.
    void append(const ParameterFormat& other);
    // Removes the components without a type and fits the storage to the rest.
    void compact();
    // Removes every component.
    void clear();

    // Linear searches; the first match wins; null or false when absent. Names compare
    // over at most 64 characters.
    Component* find(const char* name) noexcept;
    const Component* find(const char* name) const noexcept;
    Component* findByOffset(std::uint32_t offset) noexcept;
    bool contains(const char* name) const noexcept { return find(name) != nullptr; }
    bool containsOffset(std::uint32_t offset) const noexcept;

    std::uint32_t count() const noexcept { return components.count(); }
    const Component& component(std::uint32_t index) const noexcept { return components[index]; }
    std::uint32_t size() const noexcept { return blockSize; }
    std::uint32_t capacity() const noexcept { return components.capacity(); }

    types::String getClassName() const override;

private:
    container::Array<Component> components;
    std::uint32_t blockSize = 0;
};

} // namespace orvane::graphics3d
