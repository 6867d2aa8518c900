#include "orvane/graphics3d/mesh/ParameterFormat.h"

#include "orvane/graphics3d/mesh/TypeCode.h"

#include <cstring>

namespace orvane::graphics3d {
namespace {

bool sameName(const char (&stored)[ParameterFormat::NAME_LENGTH], const char* name) {
    return name && std::strncmp(stored, name, ParameterFormat::NAME_LENGTH) == 0;
}

void copyName(char (&stored)[ParameterFormat::NAME_LENGTH], const char* name) {
    std::memset(stored, 0, sizeof stored);
    if (name)
        std::memcpy(stored, name, strnlen(name, sizeof stored));
}

} // namespace

void ParameterFormat::add(const char* name, std::uint32_t type, std::uint32_t offset) {
    add(name, nullptr, type, offset);
}

void ParameterFormat::add(const char* name, const char* alias, std::uint32_t type,
                          std::uint32_t offset) {
    Component component;
    copyName(component.name, name);
    copyName(component.alias, alias);
    component.offset = offset;
    component.type = type;
    components.add(component);
    blockSize += TypeCode::size(type);
}

void ParameterFormat::remove(const char* name) {
    std::uint32_t index = 0;
    while (index < components.count() && !sameName(components[index].name, name))
        ++index;
    if (index == components.count())
        return;
    const std::uint32_t removed = TypeCode::size(components[index].type);
    for (; index + 1 < components.count(); ++index) {
        components[index] = components[index + 1];
        components[index].offset -= removed;
    }
    components.removeLast();
    blockSize -= removed;
}

void ParameterFormat::append(const ParameterFormat& other) {
    const std::uint32_t shift = blockSize;
    const std::uint32_t appended = other.components.count(); // `other` may be this format
    const std::uint32_t otherSize = other.blockSize;
    for (std::uint32_t index = 0; index < appended; ++index) {
        Component component = other.components[index];
        component.offset += shift;
        components.add(component);
    }
    blockSize += otherSize;
}

void ParameterFormat::compact() {
    container::Array<Component> kept;
    std::uint32_t typed = 0;
    for (const Component& component : components)
        typed += component.type != 0;
    if (typed > 0) {
        kept.resize(typed); // a first allocation is exactly the size asked for
        std::uint32_t next = 0;
        for (const Component& component : components)
            if (component.type != 0)
                kept[next++] = component;
    }
    components = std::move(kept);
}

void ParameterFormat::clear() {
    components.clear();
    blockSize = 0;
}

ParameterFormat::Component* ParameterFormat::find(const char* name) noexcept {
    for (Component& component : components)
        if (sameName(component.name, name))
            return &component;
    return nullptr;
}

const ParameterFormat::Component* ParameterFormat::find(const char* name) const noexcept {
    return const_cast<ParameterFormat*>(this)->find(name);
}

ParameterFormat::Component* ParameterFormat::findByOffset(std::uint32_t offset) noexcept {
    for (Component& component : components)
        if (component.offset == offset)
            return &component;
    return nullptr;
}

bool ParameterFormat::containsOffset(std::uint32_t offset) const noexcept {
    return const_cast<ParameterFormat*>(this)->findByOffset(offset) != nullptr;
}

types::String ParameterFormat::getClassName() const {
    return object::classPath(Object::getClassName(), ":ParameterFormat");
}

} // namespace orvane::graphics3d
